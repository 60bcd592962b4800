#include "processor/Biquad.h"

#include <cmath>

void designHighPass (Biquad& s, float frequencyHz, double sampleRate) noexcept
{
    const auto w = static_cast<double> (frequencyHz) * 6.283185307179586 / sampleRate;
    const auto cosW = std::cos (w);
    const auto alpha = std::sin (w) / 1.414;
    const auto a0 = 1.0 + alpha;

    s.b0 = (1.0 + cosW) * 0.5 / a0;
    s.b1 = -(1.0 + cosW) / a0;
    s.b2 = (1.0 + cosW) * 0.5 / a0;
    s.a1 = -2.0 * cosW / a0;
    s.a2 = (1.0 - alpha) / a0;
}

void processBlock (Biquad& section, float* samples, int numSamples) noexcept
{
    for (int i = 0; i < numSamples; ++i)
        samples[i] = processSample (section, samples[i]);
}

void designHighPass (Biquad (&sections)[2], float frequencyHz, double sampleRate) noexcept
{
    for (auto& section : sections)
        designHighPass (section, frequencyHz, sampleRate);
}

void processBlock (Biquad (&sections)[2], juce::dsp::AudioBlock<float>& block) noexcept
{
    const auto numSamples = static_cast<int> (block.getNumSamples());

    for (size_t c = 0; c < block.getNumChannels(); ++c)
        processBlock (sections[c < 1 ? 0 : 1], block.getChannelPointer (c), numSamples);
}
