#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_dsp/juce_dsp.h>

/** State of the saturator stage: a biased tanh curve with first-order antiderivative
    anti-aliasing, three flavours (0 Tube, 1 Tape, 2 Iron) and a dry/wet mix.

    Per-channel history is kept for two channels; a mono bus uses the first element.
*/
struct Saturator
{
    double sampleRate = 44100.0;
    int flavor = 0;
    double lastDriven[2] { 0.0, 0.0 };
    double lastLogCosh[2] { 0.0, 0.0 };
    float tapeState[2] { 0.0f, 0.0f };
    juce::SmoothedValue<float> drive { 1.0f };
    juce::SmoothedValue<float> mix { 1.0f };
};

/** The constants of one flavour: the curve's bias and the Tape one-pole's coefficient
    (0 where the flavour has no one-pole).
*/
struct SaturatorFlavor
{
    float bias = 0.0f;
    float tapeCoeff = 0.0f;
};

/** Constants of flavour 0 (Tube), 1 (Tape) or 2 (Iron); any other index counts as Iron. */
SaturatorFlavor saturatorFlavor (int flavor) noexcept;

/** ln(cosh(u)) in double, finite for every finite u: exactly std::log (std::cosh (u))
    wherever cosh does not overflow, and |u| - ln 2 (to which it converges long before)
    beyond.
*/
double logCosh (double u) noexcept;

/** Takes the sample rate, resets the drive and mix ramps to 20 ms (snapping them to
    their targets) and clears the per-channel history.
*/
void prepare (Saturator& saturator, double sampleRate) noexcept;

/** Settings for one block: the flavour from the choice value (rounded to the nearest
    index), the drive target 1 + 23 * character and the mix target 1.

    @param flavorChoice  the flavour's choice index as a float
    @param character     the character control as a fraction from 0 to 1
*/
void setBlockSettings (Saturator& saturator, float flavorChoice, float character) noexcept;

/** Runs the stage over the block in place. The drive and mix ramps advance once per
    sample index, every channel using the same values; channel c uses history element
    min (c, 1).
*/
void process (Saturator& saturator, juce::dsp::AudioBlock<float>& block) noexcept;
