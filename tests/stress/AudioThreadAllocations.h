#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

/** Counts heap allocations made on a thread while it is marked as being inside the audio
    callback, and keeps the call stacks of the first few.

    The stress executables replace malloc and its relatives and every global operator new.
    The plug-in's module is loaded into the same process and calls the executable's
    definitions, so its allocations are counted as well as the host's; the call stacks tell
    which module an allocation came from. Sanitizer builds keep their own allocator, and
    there the counter is not available.
*/
namespace stress
{
bool allocationCountingAvailable() noexcept;

struct AllocationStack
{
    static constexpr int maxFrames = 32;
    void* frames[maxFrames] {};
    int numFrames = 0;
};

/** Code that tells who made an allocation, from the addresses on its call stack; set before
    counting starts.
    - The plug-in's module: an allocation whose stack passes through it is the plug-in's
      (all code counts as the plug-in's until this is set); any other one is the host's.
    - Exempt code: an allocation whose stack passes through it is counted apart, as the
      framework's or the system's (the dynamic loader setting up a thread's storage, say).
    - Required code: an allocation whose stack passes through it is the plug-in's, exempt
      code further in notwithstanding (the plug-in's own processing). */
void setPluginCodeRange (std::uintptr_t begin, std::uintptr_t end) noexcept;
void addExemptCodeRange (std::uintptr_t begin, std::uintptr_t end) noexcept;
void addRequiredCodeRange (std::uintptr_t begin, std::uintptr_t end) noexcept;

/** Marks the calling thread as inside (or outside) the audio callback. */
void setInAudioCallback (bool inside) noexcept;

/** Allocations counted so far on threads inside the audio callback, by who made them. */
std::uint64_t pluginAllocations() noexcept;
std::uint64_t exemptAllocations() noexcept;
std::uint64_t hostAllocations() noexcept;

/** The call stacks of the first allocations the plug-in made; read when counting has stopped. */
std::vector<AllocationStack> pluginAllocationStacks();

/** Brings in what the stack walker loads on first use, so that recording allocates nothing
    of its own later. */
void prepareAllocationCounting();
} // namespace stress
