#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

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
