#include "processor/GainRamp.h"

void setGainTargetDecibels (GainRamp& ramp, float decibels) noexcept
{
    ramp.setTargetValue (juce::Decibels::decibelsToGain (decibels));
}

void applyGainRamp (GainRamp& ramp, juce::dsp::AudioBlock<float>& block) noexcept
{
    const auto numChannels = block.getNumChannels();
    const auto numSamples = block.getNumSamples();

    if (! ramp.isSmoothing())
    {
        // An idle ramp yields its target at every index, so each sample is multiplied by
        // that same factor; walking channel by channel gives identical results.
        const auto g = ramp.getTargetValue();

        for (size_t c = 0; c < numChannels; ++c)
        {
            auto* samples = block.getChannelPointer (c);

            for (size_t i = 0; i < numSamples; ++i)
                samples[i] *= g;
        }

        return;
    }

    for (size_t i = 0; i < numSamples; ++i)
    {
        const auto g = ramp.getNextValue();

        for (size_t c = 0; c < numChannels; ++c)
            block.getChannelPointer (c)[i] *= g;
    }
}
