#include "processor/Compressor.h"

#include <algorithm>
#include <cmath>

float envelopeCoefficient (float timeMs, double sampleRate) noexcept
{
    const auto samples = static_cast<float> (static_cast<double> (timeMs) * 0.001 * sampleRate);
    return std::exp (-1.0f / samples);
}

void updateCoefficients (Compressor& c) noexcept
{
    c.attackCoeff = envelopeCoefficient (c.attackMs, c.sampleRate);
    c.releaseCoeff = envelopeCoefficient (c.releaseMs, c.sampleRate);
}

void prepare (Compressor& c, double sampleRate) noexcept
{
    c.sampleRate = sampleRate;
    c.makeup.reset (sampleRate, 0.02);
    c.envelope = 0.0f;
    c.gainReductionDb = 0.0f;
    c.mix.reset (sampleRate, 0.02);
    updateCoefficients (c);
}

void setBlockSettings (Compressor& c, float character) noexcept
{
    c.thresholdDb = -8.0f - 20.0f * character;
    c.ratio = std::max (1.3f + 3.5f * character, 1.0f);
    c.attackMs = 15.0f;
    c.releaseMs = 160.0f;
    c.makeup.setTargetValue (juce::Decibels::decibelsToGain (4.0f * character));
    c.mix.setTargetValue (1.0f);
    updateCoefficients (c);
}

float gainReductionDb (float levelDb, float thresholdDb, float ratio) noexcept
{
    const auto over = levelDb - thresholdDb;

    if (over <= -3.0f)
        return 0.0f;

    float r;

    if (over >= 3.0f)
    {
        r = over - over / ratio;
    }
    else
    {
        const auto k = over + 3.0f;
        r = over - (over - (1.0f - 1.0f / ratio) * (k * k) / 12.0f);
    }

    return std::max (r, 0.0f);
}

void process (Compressor& c, juce::dsp::AudioBlock<float>& block) noexcept
{
    const auto numChannels = block.getNumChannels();
    const auto numSamples = block.getNumSamples();

    auto envelope = c.envelope;
    auto largestReduction = 0.0f;

    for (size_t i = 0; i < numSamples; ++i)
    {
        auto peak = 0.0f;

        for (size_t ch = 0; ch < numChannels; ++ch)
            peak = std::max (peak, std::abs (block.getChannelPointer (ch)[i]));

        const auto coeff = peak > envelope ? c.attackCoeff : c.releaseCoeff;
        envelope = peak + coeff * (envelope - peak);

        const auto levelDb = envelope > 0.0f ? std::max (20.0f * std::log10 (envelope), -100.0f) : -100.0f;
        const auto r = gainReductionDb (levelDb, c.thresholdDb, c.ratio);
        const auto g = juce::Decibels::decibelsToGain (-r);
        largestReduction = std::max (largestReduction, r);

        const auto mk = c.makeup.getNextValue();
        const auto cm = c.mix.getNextValue();

        for (size_t ch = 0; ch < numChannels; ++ch)
        {
            auto& x = block.getChannelPointer (ch)[i];
            x = x * g * mk * cm + (1.0f - cm) * x;
        }
    }

    c.envelope = envelope;
    c.gainReductionDb = largestReduction;
}
