#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_dsp/juce_dsp.h>

/** State of the linked feed-forward peak compressor with a 6 dB soft knee.

    One envelope follows the largest |sample| across the channels; every channel of a
    sample gets the same gain.
*/
struct Compressor
{
    double sampleRate = 44100.0;
    float thresholdDb = 0.0f;
    float ratio = 2.0f;
    float attackMs = 10.0f;
    float releaseMs = 100.0f;
    float attackCoeff = 0.0f;
    float releaseCoeff = 0.0f;
    float envelope = 0.0f;
    float gainReductionDb = 0.0f;
    juce::SmoothedValue<float> makeup { 1.0f };
    juce::SmoothedValue<float> mix { 1.0f };
};

/** One-pole envelope coefficient for a time in ms at a rate:
    exp(-1 / (ms * 0.001 * rate)), the product rounded to float, the rest in float.
*/
float envelopeCoefficient (float timeMs, double sampleRate) noexcept;

/** Recomputes attackCoeff and releaseCoeff from attackMs, releaseMs and sampleRate. */
void updateCoefficients (Compressor& compressor) noexcept;

/** Takes the sample rate, resets the make-up and mix ramps to 20 ms, clears the
    envelope and gain reduction and recomputes the coefficients from the present times.
*/
void prepare (Compressor& compressor, double sampleRate) noexcept;

/** Settings for one block: threshold -8 - 20 * character dB, ratio 1.3 + 3.5 * character
    (at least 1), attack 15 ms and release 160 ms with their coefficients recomputed, the
    make-up target 4 * character dB and the mix target 1.

    @param character  the character control as a fraction from 0 to 1
*/
void setBlockSettings (Compressor& compressor, float character) noexcept;

/** The static curve: the gain reduction in dB (never negative) for a level in dB, with a
    soft knee 6 dB wide centred on the threshold.
*/
float gainReductionDb (float levelDb, float thresholdDb, float ratio) noexcept;

/** Runs the stage over the block in place, sample by sample across the channels: one
    envelope follows the largest |sample| of all channels and every channel of a sample
    gets the same gain. Leaves the block's largest gain reduction in gainReductionDb.
*/
void process (Compressor& compressor, juce::dsp::AudioBlock<float>& block) noexcept;
