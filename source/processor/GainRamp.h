#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_dsp/juce_dsp.h>

/** A linear gain factor that glides multiplicatively (by equal ratios per sample). */
using GainRamp = juce::SmoothedValue<float, juce::ValueSmoothingTypes::Multiplicative>;

/** Sets the ramp's target to the factor of a level in dB: 10^(dB * 0.05) in float, exactly
    0 at -100 dB and below. A target equal to the present one lets a running ramp go on;
    another restarts it from the present value over the full ramp length.
*/
void setGainTargetDecibels (GainRamp& ramp, float decibels) noexcept;

/** Multiplies the block by the ramp, advancing it once per sample index: every channel's
    sample i is multiplied by the same i-th value.
*/
void applyGainRamp (GainRamp& ramp, juce::dsp::AudioBlock<float>& block) noexcept;
