#pragma once

#include <atomic>

/** The levels of the last processed block, written by the audio thread once per block
    and read by the editor's meters.

    Each value is stored and loaded whole with relaxed atomics; a reader may see one
    value from a newer block than another, which only disturbs one displayed frame.
*/
struct MeterLevels
{
    std::atomic<float> inputPeak { 0.0f };     ///< largest |sample| of the block as it arrives, linear
    std::atomic<float> outputPeak { 0.0f };    ///< largest |sample| of the block as it leaves, linear
    std::atomic<float> gainReduction { 0.0f }; ///< the block's largest compressor gain reduction in dB, >= 0

    static_assert (std::atomic<float>::is_always_lock_free, "meter values must be lock-free");
};
