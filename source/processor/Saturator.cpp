#include "processor/Saturator.h"

#include <cmath>

namespace
{
// cosh stays finite up to |u| = 710.4758; below 710 the direct form is exact to double
// precision and above it ln(1 + e^(-2|u|)) is far below one unit in the last place.
constexpr double logCoshDirectLimit = 710.0;
constexpr double ln2 = 0.693147180559945309417232121458;

// The steps shorter than this use tanh at their midpoint in place of the difference
// quotient, which loses all precision as the step vanishes.
constexpr double minimumStep = 0.000001;

// One channel's history, held in locals while a channel is processed.
struct ChannelHistory
{
    double lastDriven;
    double lastLogCosh;
    float tapeState;
};

/** One sample through the curve, the Tape one-pole and the mix.
    tanhBias is tanh(b) and gain N = 1 / tanh(d), both as the curve needs them.
*/
inline float shape (float x, float d, float m, float gain, double bias, double tanhBias, float tapeCoeff,
                    ChannelHistory& h) noexcept
{
    const auto u = static_cast<double> (x) * static_cast<double> (d) + bias;
    const auto l = logCosh (u);
    const auto delta = u - h.lastDriven;

    const auto s = std::abs (delta) < minimumStep ? std::tanh ((h.lastDriven + u) * 0.5)
                                                  : (l - h.lastLogCosh) / delta;
    h.lastDriven = u;
    h.lastLogCosh = l;

    const auto e = static_cast<float> (s - tanhBias);
    auto y = gain * e;

    if (tapeCoeff > 0.0f)
    {
        h.tapeState = h.tapeState + tapeCoeff * (y - h.tapeState);
        y = h.tapeState;
    }

    return (1.0f - m) * x + m * y;
}

inline float curveGain (float d) noexcept
{
    return static_cast<float> (1.0 / std::tanh (static_cast<double> (d)));
}
} // namespace

SaturatorFlavor saturatorFlavor (int flavor) noexcept
{
    switch (flavor)
    {
        case 0:  return { 0.3f, 0.0f };
        case 1:  return { 0.06f, 0.35f };
        default: return { 0.0f, 0.0f };
    }
}

double logCosh (double u) noexcept
{
    const auto a = std::abs (u);
    return a < logCoshDirectLimit ? std::log (std::cosh (u)) : a - ln2;
}

void prepare (Saturator& s, double sampleRate) noexcept
{
    s.sampleRate = sampleRate;
    s.drive.reset (sampleRate, 0.02);
    s.mix.reset (sampleRate, 0.02);

    for (int j = 0; j < 2; ++j)
    {
        s.lastDriven[j] = 0.0;
        s.lastLogCosh[j] = 0.0;
        s.tapeState[j] = 0.0f;
    }
}

void setBlockSettings (Saturator& s, float flavorChoice, float character) noexcept
{
    s.flavor = static_cast<int> (flavorChoice + 0.5f);
    s.drive.setTargetValue (1.0f + 23.0f * character);
    s.mix.setTargetValue (1.0f);
}

void process (Saturator& s, juce::dsp::AudioBlock<float>& block) noexcept
{
    const auto numChannels = block.getNumChannels();
    const auto numSamples = block.getNumSamples();

    if (numChannels == 0 || numSamples == 0)
        return;

    const auto flavor = saturatorFlavor (s.flavor);
    const auto bias = static_cast<double> (flavor.bias);

    // tanh(b) must be the run-time library's value, bit for bit the one the curve's own
    // tanh gives for u = b (silence then maps to exactly 0). A compiler may evaluate tanh
    // of a known constant itself and round it differently, so the bias is read back
    // through a volatile first.
    volatile double biasAtRunTime = bias;
    const auto tanhBias = std::tanh (static_cast<double> (biasAtRunTime));

    // Each channel is visited over the whole block. Every channel but the last walks a
    // copy of the ramps, so all channels see the same i-th drive and mix; the last one
    // advances the ramps themselves.
    for (size_t c = 0; c < numChannels; ++c)
    {
        const auto j = c < 1 ? 0 : 1;
        ChannelHistory history { s.lastDriven[j], s.lastLogCosh[j], s.tapeState[j] };
        auto* samples = block.getChannelPointer (c);

        auto drive = s.drive;
        auto mix = s.mix;

        if (! drive.isSmoothing() && ! mix.isSmoothing())
        {
            // Settled ramps give their targets at every index, so the gain is the same
            // for the whole block.
            const auto d = drive.getTargetValue();
            const auto m = mix.getTargetValue();
            const auto gain = curveGain (d);

            for (size_t i = 0; i < numSamples; ++i)
                samples[i] = shape (samples[i], d, m, gain, bias, tanhBias, flavor.tapeCoeff, history);
        }
        else
        {
            for (size_t i = 0; i < numSamples; ++i)
            {
                const auto d = drive.getNextValue();
                const auto m = mix.getNextValue();
                samples[i] = shape (samples[i], d, m, curveGain (d), bias, tanhBias, flavor.tapeCoeff, history);
            }
        }

        s.lastDriven[j] = history.lastDriven;
        s.lastLogCosh[j] = history.lastLogCosh;
        s.tapeState[j] = history.tapeState;

        if (c + 1 == numChannels)
        {
            s.drive = drive;
            s.mix = mix;
        }
    }
}
