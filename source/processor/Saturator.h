#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

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

/** Takes the sample rate, resets the drive and mix ramps to 20 ms (snapping them to
    their targets) and clears the per-channel history.
*/
void prepare (Saturator& saturator, double sampleRate) noexcept;
