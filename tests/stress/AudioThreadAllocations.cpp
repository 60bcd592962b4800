// Replacements of the C allocator and the global operator new, forwarding to glibc's own
// entry points. An allocation made on a thread that is marked as inside the audio callback
// is counted, and its call stack is kept while there is room.
#include "AudioThreadAllocations.h"

#include <algorithm>
#include <atomic>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
 #define VARNU_STRESS_SANITIZED 1
#elif defined(__has_feature)
 #if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
  #define VARNU_STRESS_SANITIZED 1
 #endif
#endif

#ifndef VARNU_STRESS_SANITIZED

 #include <cerrno>
 #include <cstdlib>
 #include <execinfo.h>
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
thread_local bool inAudioCallback = false;
thread_local bool recording = false;
std::atomic<std::uint64_t> byPlugin { 0 }, byHost { 0 }, exempt { 0 };

struct CodeRange
{
    std::uintptr_t begin = 0, end = 0;
    bool contains (const void* address) const noexcept
    {
        const auto a = reinterpret_cast<std::uintptr_t> (address);
        return a >= begin && a < end;
    }
};

// Written before counting starts, read only afterwards.
CodeRange pluginCode { 0, ~std::uintptr_t (0) };
constexpr int maxRanges = 16;
CodeRange exemptCode[maxRanges], requiredCode[maxRanges];
int numExempt = 0, numRequired = 0;

constexpr int maxStacks = 32;
stress::AllocationStack stacks[maxStacks];
std::atomic<int> numStacks { 0 };

bool anyFrameIn (const stress::AllocationStack& stack, const CodeRange* ranges, int numRanges) noexcept
{
    for (int f = 0; f < stack.numFrames; ++f)
        for (int r = 0; r < numRanges; ++r)
            if (ranges[r].contains (stack.frames[f]))
                return true;

    return false;
}

inline void noteAllocation() noexcept
{
    if (! inAudioCallback || recording)
        return;

    recording = true;
    stress::AllocationStack stack;
    stack.numFrames = backtrace (stack.frames, stress::AllocationStack::maxFrames);
    recording = false;

    const auto required = anyFrameIn (stack, requiredCode, numRequired);

    if (! required && anyFrameIn (stack, exemptCode, numExempt))
    {
        exempt.fetch_add (1, std::memory_order_relaxed);
        return;
    }

    if (! required && ! anyFrameIn (stack, &pluginCode, 1))
    {
        byHost.fetch_add (1, std::memory_order_relaxed);
        return;
    }

    byPlugin.fetch_add (1, std::memory_order_relaxed);
    const auto slot = numStacks.fetch_add (1, std::memory_order_relaxed);

    if (slot < maxStacks)
        stacks[slot] = stack;
}

void* allocate (std::size_t size)
{
    noteAllocation();
    if (auto* p = __libc_malloc (size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void* allocateAligned (std::size_t size, std::align_val_t alignment)
{
    noteAllocation();
    if (auto* p = __libc_memalign (static_cast<std::size_t> (alignment), size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
} // namespace

namespace stress
{
bool allocationCountingAvailable() noexcept { return true; }

void setPluginCodeRange (std::uintptr_t begin, std::uintptr_t end) noexcept { pluginCode = { begin, end }; }

void addExemptCodeRange (std::uintptr_t begin, std::uintptr_t end) noexcept
{
    if (numExempt < maxRanges)
        exemptCode[numExempt++] = { begin, end };
}

void addRequiredCodeRange (std::uintptr_t begin, std::uintptr_t end) noexcept
{
    if (numRequired < maxRanges)
        requiredCode[numRequired++] = { begin, end };
}

void setInAudioCallback (bool inside) noexcept { inAudioCallback = inside; }
std::uint64_t pluginAllocations() noexcept { return byPlugin.load(); }
std::uint64_t exemptAllocations() noexcept { return exempt.load(); }
std::uint64_t hostAllocations() noexcept { return byHost.load(); }

std::vector<AllocationStack> pluginAllocationStacks()
{
    const auto n = std::min (numStacks.load(), maxStacks);
    return { stacks, stacks + n };
}

void prepareAllocationCounting()
{
    void* frames[4];
    backtrace (frames, 4);
}
} // namespace stress

extern "C"
{
void* malloc (size_t size)
{
    noteAllocation();
    return __libc_malloc (size);
}

void* calloc (size_t count, size_t size)
{
    noteAllocation();
    return __libc_calloc (count, size);
}

void* realloc (void* p, size_t size)
{
    noteAllocation();
    return __libc_realloc (p, size);
}

void free (void* p)
{
    __libc_free (p);
}

void* memalign (size_t alignment, size_t size)
{
    noteAllocation();
    return __libc_memalign (alignment, size);
}

void* aligned_alloc (size_t alignment, size_t size)
{
    noteAllocation();
    return __libc_memalign (alignment, size);
}

int posix_memalign (void** result, size_t alignment, size_t size)
{
    noteAllocation();
    auto* p = __libc_memalign (alignment, size);
    if (p == nullptr)
        return ENOMEM;
    *result = p;
    return 0;
}
}

void* operator new (std::size_t size) { return allocate (size); }
void* operator new[] (std::size_t size) { return allocate (size); }
void* operator new (std::size_t size, const std::nothrow_t&) noexcept
{
    noteAllocation();
    return __libc_malloc (size == 0 ? 1 : size);
}
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept
{
    noteAllocation();
    return __libc_malloc (size == 0 ? 1 : size);
}
void* operator new (std::size_t size, std::align_val_t alignment) { return allocateAligned (size, alignment); }
void* operator new[] (std::size_t size, std::align_val_t alignment) { return allocateAligned (size, alignment); }

void operator delete (void* p) noexcept { __libc_free (p); }
void operator delete[] (void* p) noexcept { __libc_free (p); }
void operator delete (void* p, std::size_t) noexcept { __libc_free (p); }
void operator delete[] (void* p, std::size_t) noexcept { __libc_free (p); }
void operator delete (void* p, std::align_val_t) noexcept { __libc_free (p); }
void operator delete[] (void* p, std::align_val_t) noexcept { __libc_free (p); }
void operator delete (void* p, std::size_t, std::align_val_t) noexcept { __libc_free (p); }
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept { __libc_free (p); }

#else // sanitizer builds: their allocator stays in place and nothing is counted

namespace stress
{
bool allocationCountingAvailable() noexcept { return false; }
void setPluginCodeRange (std::uintptr_t, std::uintptr_t) noexcept {}
void addExemptCodeRange (std::uintptr_t, std::uintptr_t) noexcept {}
void addRequiredCodeRange (std::uintptr_t, std::uintptr_t) noexcept {}
void setInAudioCallback (bool) noexcept {}
std::uint64_t pluginAllocations() noexcept { return 0; }
std::uint64_t exemptAllocations() noexcept { return 0; }
std::uint64_t hostAllocations() noexcept { return 0; }
std::vector<AllocationStack> pluginAllocationStacks() { return {}; }
void prepareAllocationCounting() {}
} // namespace stress

#endif
