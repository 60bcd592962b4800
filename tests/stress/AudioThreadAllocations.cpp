// Counts the allocations that the replaced allocator (support/ReplacedAllocator.cpp)
// reports on a thread that is marked as inside the audio callback, and keeps their call
// stacks while there is room.
#include "AudioThreadAllocations.h"
#include "support/ReplacedAllocator.h"

#include <algorithm>
#include <atomic>

#ifndef VARNU_ALLOCATOR_SANITIZED

 #include <execinfo.h>

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
} // namespace

void noteHeapAllocation() noexcept
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
