#pragma once

/** Whether this build replaces the allocator. Sanitizer builds keep their own allocator,
    and there nothing is counted. */
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
 #define VARNU_ALLOCATOR_SANITIZED 1
#elif defined(__has_feature)
 #if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
  #define VARNU_ALLOCATOR_SANITIZED 1
 #endif
#endif

/** The executables that count allocations link ReplacedAllocator.cpp, which replaces malloc,
    calloc, realloc, the aligned allocators and every form of the global operator new, and
    forwards them to glibc's own entry points. Modules loaded into the process call these
    definitions too.

    Each allocation first calls this function, which the executable defines; it runs inside
    the allocator, so it must not allocate (or must guard against its own re-entry).
*/
void noteHeapAllocation() noexcept;
