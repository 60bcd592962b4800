#pragma once

#include <array>
#include <atomic>
#include <cstdint>

/** The ring of mono output samples that feeds the spectrum analyser.

    The audio thread stores each output sample at slot (writeIndex % 4096) and then
    increments writeIndex; writeIndex counts every sample ever written and wraps at 2^32
    (4096 divides 2^32, so slots stay continuous across the wrap). Readers load
    writeIndex once and then the slots before it, all with relaxed atomics.
*/
struct AnalyzerFifo
{
    static constexpr std::uint32_t size = 4096;

    std::array<std::atomic<float>, size> samples {};
    std::atomic<std::uint32_t> writeIndex { 0 };

    static_assert (std::atomic<std::uint32_t>::is_always_lock_free, "the write index must be lock-free");
};
