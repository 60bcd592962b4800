#include "processor/ToneEq.h"

void ToneEq::setTone (float tone) noexcept
{
    using Design = juce::dsp::IIR::ArrayCoefficients<float>;

    const auto c = tone / 100.0f * 9.0f;
    constexpr auto q = 0.707f;

    // Assigning an array reuses the coefficient object's storage (it always holds room
    // for eight values), so the redesign allocates nothing on the audio thread.
    *lowShelf.state = Design::makeLowShelf (sampleRate, 250.0f, q, juce::Decibels::decibelsToGain (-c));
    *highShelf.state = Design::makeHighShelf (sampleRate, 4000.0f, q, juce::Decibels::decibelsToGain (c));
}

void prepare (ToneEq& t, const juce::dsp::ProcessSpec& spec)
{
    t.sampleRate = spec.sampleRate;
    t.lowShelf.prepare (spec);
    t.highShelf.prepare (spec);
    t.setTone (0.0f);
}

void process (ToneEq& t, juce::dsp::AudioBlock<float>& block) noexcept
{
    const juce::dsp::ProcessContextReplacing<float> context (block);
    t.lowShelf.process (context);
    t.highShelf.process (context);
}
