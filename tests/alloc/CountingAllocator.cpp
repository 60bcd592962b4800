// Counts the allocations that the replaced allocator (support/ReplacedAllocator.cpp)
// reports on a thread whose counting flag is set. pthread_mutex_lock and
// pthread_mutex_trylock are interposed and counted the same way, then forwarded to the
// next definition, the C library's.

#include "alloc/CountingAllocator.h"
#include "support/ReplacedAllocator.h"

#include <atomic>
#include <cstddef>
#include <dlfcn.h>
#include <pthread.h>

namespace
{
thread_local bool counting = false;
std::atomic<std::uint64_t> allocationCount { 0 };
std::atomic<std::uint64_t> lockCount { 0 };

inline void countLock() noexcept
{
    if (counting)
        lockCount.fetch_add (1, std::memory_order_relaxed);
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

void noteHeapAllocation() noexcept
{
    if (counting)
        allocationCount.fetch_add (1, std::memory_order_relaxed);
}

extern "C"
{
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
