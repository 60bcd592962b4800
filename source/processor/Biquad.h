#pragma once

#include <juce_dsp/juce_dsp.h>

/** One second-order section in transposed direct form II, in double precision.

    The leading feedback coefficient is normalised to 1. A default section passes its
    input unchanged.
*/
struct Biquad
{
    double b0 = 1.0;
    double b1 = 0.0;
    double b2 = 0.0;
    double a1 = 0.0;
    double a2 = 0.0;
    double z1 = 0.0;
    double z2 = 0.0;
};

/** Designs a second-order high-pass at frequencyHz for sampleRate (Q 0.707, with 1.414
    as twice the Q), leaving the section's memories as they are.
*/
void designHighPass (Biquad& section, float frequencyHz, double sampleRate) noexcept;

/** Runs one sample through the section. */
inline float processSample (Biquad& s, float sample) noexcept
{
    const auto x = static_cast<double> (sample);
    const auto y = s.b0 * x + s.z1;
    s.z1 = s.b1 * x - s.a1 * y + s.z2;
    s.z2 = s.b2 * x - s.a2 * y;
    return static_cast<float> (y);
}

/** Runs numSamples samples of one channel through the section, in place. */
void processBlock (Biquad& section, float* samples, int numSamples) noexcept;

/** The high-pass runs only when its control is above this frequency; at and below it the
    control reads "Off".
*/
inline constexpr float highPassOffHz = 21.0f;

/** Whether the high-pass runs for a control value in Hz. */
inline bool highPassIsOn (float frequencyHz) noexcept
{
    return frequencyHz > highPassOffHz;
}

/** Gives both sections of a channel pair the same high-pass design. */
void designHighPass (Biquad (&sections)[2], float frequencyHz, double sampleRate) noexcept;

/** Runs the block through the sections in place, channel by channel: channel 0 uses the
    first section, every further channel the second.
*/
void processBlock (Biquad (&sections)[2], juce::dsp::AudioBlock<float>& block) noexcept;
