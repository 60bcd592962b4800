#pragma once

#include <cstdint>

/** Counts heap allocations and mutex locks on the calling thread while a scope is alive.

    The counting executable replaces malloc, calloc, realloc, the aligned allocators and
    every form of the global operator new, and interposes pthread_mutex_lock and
    pthread_mutex_trylock, so allocations and locks made by the framework's code are
    counted as well as the plug-in's.
*/
struct CountingScope
{
    CountingScope();
    ~CountingScope();

    std::uint64_t allocations() const;
    std::uint64_t locks() const;

    CountingScope (const CountingScope&) = delete;
    CountingScope& operator= (const CountingScope&) = delete;

private:
    std::uint64_t allocationsAtStart, locksAtStart;
};
