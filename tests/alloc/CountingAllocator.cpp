// Replacements of the C allocator and the global operator new for this executable only.
// They forward to glibc's own entry points and count the calls made on a thread whose
// counting flag is set. pthread_mutex_lock and pthread_mutex_trylock are interposed the
// same way and forwarded to the next definition, the C library's.

#include "alloc/CountingAllocator.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <dlfcn.h>
#include <new>
#include <pthread.h>

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
thread_local bool counting = false;
std::atomic<std::uint64_t> allocationCount { 0 };
std::atomic<std::uint64_t> lockCount { 0 };

inline void countAllocation() noexcept
{
    if (counting)
        allocationCount.fetch_add (1, std::memory_order_relaxed);
}

inline void countLock() noexcept
{
    if (counting)
        lockCount.fetch_add (1, std::memory_order_relaxed);
}

void* allocateOrThrow (std::size_t size)
{
    countAllocation();
    if (auto* p = __libc_malloc (size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void* allocateAlignedOrThrow (std::size_t size, std::align_val_t alignment)
{
    countAllocation();
    if (auto* p = __libc_memalign (static_cast<std::size_t> (alignment), size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

using MutexFunction = int (*) (pthread_mutex_t*);

// The C library's definition behind an interposed function. Looked up on first use
// through a plain atomic (a guarded static could itself take a lock).
MutexFunction nextDefinition (std::atomic<MutexFunction>& cache, const char* name) noexcept
{
    auto f = cache.load (std::memory_order_acquire);
    if (f == nullptr)
    {
        f = reinterpret_cast<MutexFunction> (dlsym (RTLD_NEXT, name));
        cache.store (f, std::memory_order_release);
    }
    return f;
}

std::atomic<MutexFunction> nextLock { nullptr };
std::atomic<MutexFunction> nextTryLock { nullptr };
} // namespace

CountingScope::CountingScope()
    : allocationsAtStart (allocationCount.load()), locksAtStart (lockCount.load())
{
    counting = true;
}

CountingScope::~CountingScope()
{
    counting = false;
}

std::uint64_t CountingScope::allocations() const
{
    return allocationCount.load() - allocationsAtStart;
}

std::uint64_t CountingScope::locks() const
{
    return lockCount.load() - locksAtStart;
}

extern "C"
{
void* malloc (size_t size)
{
    countAllocation();
    return __libc_malloc (size);
}

void* calloc (size_t count, size_t size)
{
    countAllocation();
    return __libc_calloc (count, size);
}

void* realloc (void* p, size_t size)
{
    countAllocation();
    return __libc_realloc (p, size);
}

void free (void* p)
{
    __libc_free (p);
}

void* memalign (size_t alignment, size_t size)
{
    countAllocation();
    return __libc_memalign (alignment, size);
}

void* aligned_alloc (size_t alignment, size_t size)
{
    countAllocation();
    return __libc_memalign (alignment, size);
}

int posix_memalign (void** result, size_t alignment, size_t size)
{
    countAllocation();
    auto* p = __libc_memalign (alignment, size);
    if (p == nullptr)
        return ENOMEM;
    *result = p;
    return 0;
}

int pthread_mutex_lock (pthread_mutex_t* mutex)
{
    countLock();
    return nextDefinition (nextLock, "pthread_mutex_lock") (mutex);
}

int pthread_mutex_trylock (pthread_mutex_t* mutex)
{
    countLock();
    return nextDefinition (nextTryLock, "pthread_mutex_trylock") (mutex);
}
}

void* operator new (std::size_t size) { return allocateOrThrow (size); }
void* operator new[] (std::size_t size) { return allocateOrThrow (size); }
void* operator new (std::size_t size, const std::nothrow_t&) noexcept
{
    countAllocation();
    return __libc_malloc (size == 0 ? 1 : size);
}
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept
{
    countAllocation();
    return __libc_malloc (size == 0 ? 1 : size);
}
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
