#pragma once

#include <juce_dsp/juce_dsp.h>

/** The tilt tone control: a low shelf at 250 Hz and a high shelf at 4 kHz whose gains
    move in opposite directions, +-9 dB at the ends of the tone range.

    The filters of one shelf share that shelf's coefficient object, so a redesign reaches
    every channel at once.
*/
struct ToneEq
{
    using Shelf = juce::dsp::ProcessorDuplicator<juce::dsp::IIR::Filter<float>, juce::dsp::IIR::Coefficients<float>>;

    Shelf lowShelf;
    Shelf highShelf;
    double sampleRate = 44100.0;

    /** Redesigns both shelves for a tone value from -100 (dark) to 100 (bright).
        Writes into the shelves' existing coefficient objects and allocates nothing.
    */
    void setTone (float tone) noexcept;
};

/** Takes the sample rate, prepares both shelves for the processing set-up (clearing their memories)
    and sets them flat.
*/
void prepare (ToneEq& toneEq, const juce::dsp::ProcessSpec& spec);

/** Runs the block through the low shelf and then the high shelf, in place; each shelf
    runs its filter of channel c over channel c.
*/
void process (ToneEq& toneEq, juce::dsp::AudioBlock<float>& block) noexcept;
