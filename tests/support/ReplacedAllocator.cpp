// Replacements of the C allocator and the global operator new, forwarding to glibc's own
// entry points after telling the executable's noteHeapAllocation.
#include "support/ReplacedAllocator.h"

#ifndef VARNU_ALLOCATOR_SANITIZED

 #include <cerrno>
 #include <cstddef>
 #include <cstdlib>
 #include <new>

extern "C"
{
void* __libc_malloc (size_t);
void* __libc_calloc (size_t, size_t);
void* __libc_realloc (void*, size_t);
void* __libc_memalign (size_t, size_t);
void __libc_free (void*);
}

namespace
{
void* allocateOrThrow (std::size_t size)
{
    noteHeapAllocation();
    if (auto* p = __libc_malloc (size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void* allocateAlignedOrThrow (std::size_t size, std::align_val_t alignment)
{
    noteHeapAllocation();
    if (auto* p = __libc_memalign (static_cast<std::size_t> (alignment), size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void* allocateOrNull (std::size_t size) noexcept
{
    noteHeapAllocation();
    return __libc_malloc (size == 0 ? 1 : size);
}
} // namespace

extern "C"
{
void* malloc (size_t size)
{
    noteHeapAllocation();
    return __libc_malloc (size);
}

void* calloc (size_t count, size_t size)
{
    noteHeapAllocation();
    return __libc_calloc (count, size);
}

void* realloc (void* p, size_t size)
{
    noteHeapAllocation();
    return __libc_realloc (p, size);
}

void free (void* p)
{
    __libc_free (p);
}

void* memalign (size_t alignment, size_t size)
{
    noteHeapAllocation();
    return __libc_memalign (alignment, size);
}

void* aligned_alloc (size_t alignment, size_t size)
{
    noteHeapAllocation();
    return __libc_memalign (alignment, size);
}

int posix_memalign (void** result, size_t alignment, size_t size)
{
    noteHeapAllocation();
    auto* p = __libc_memalign (alignment, size);
    if (p == nullptr)
        return ENOMEM;
    *result = p;
    return 0;
}
}

void* operator new (std::size_t size) { return allocateOrThrow (size); }
void* operator new[] (std::size_t size) { return allocateOrThrow (size); }
void* operator new (std::size_t size, const std::nothrow_t&) noexcept { return allocateOrNull (size); }
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept { return allocateOrNull (size); }
void* operator new (std::size_t size, std::align_val_t alignment) { return allocateAlignedOrThrow (size, alignment); }
void* operator new[] (std::size_t size, std::align_val_t alignment) { return allocateAlignedOrThrow (size, alignment); }

void operator delete (void* p) noexcept { __libc_free (p); }
void operator delete[] (void* p) noexcept { __libc_free (p); }
void operator delete (void* p, std::size_t) noexcept { __libc_free (p); }
void operator delete[] (void* p, std::size_t) noexcept { __libc_free (p); }
void operator delete (void* p, std::align_val_t) noexcept { __libc_free (p); }
void operator delete[] (void* p, std::align_val_t) noexcept { __libc_free (p); }
void operator delete (void* p, std::size_t, std::align_val_t) noexcept { __libc_free (p); }
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept { __libc_free (p); }

#endif
