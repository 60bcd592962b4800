#include "processor/Compressor.h"

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
