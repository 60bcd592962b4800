// Audio through the BUILT bundle, as a DAW sends it: what the channel strip does to a signal,
// the plug-in's own bypass crossfade and the output clip, seen across the module boundary.
#include "HostLayer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using namespace qel::host;

constexpr double rate = 48000.0;
constexpr int blockSize = 512;
constexpr float clipLevel = 0.97f;

std::unique_ptr<HostedPlugin> loadPrepared (int channels = 2)
{
    juce::String error;
    auto plugin = HostedPlugin::load (builtBundle(), error, rate, blockSize);
    EXPECT_NE (plugin, nullptr) << error;
    if (plugin != nullptr)
        EXPECT_TRUE (plugin->prepare (rate, blockSize, channels));
    return plugin;
}

/** Block k of a 220 Hz sine plus a 3.1 kHz partial at the given amplitude, on every channel. */
juce::AudioBuffer<float> sine (int channels, int k, float amplitude)
{
    juce::AudioBuffer<float> buffer (channels, blockSize);
    for (int c = 0; c < channels; ++c)
        for (int i = 0; i < blockSize; ++i)
        {
            const auto t = static_cast<double> (k * blockSize + i) / rate;
            const auto v = 0.8 * std::sin (6.283185307179586 * 220.0 * t) + 0.2 * std::sin (6.283185307179586 * 3100.0 * t + c);
            buffer.setSample (c, i, static_cast<float> (amplitude * v));
        }
    return buffer;
}

void setParameter (HostedPlugin& plugin, const juce::String& name, float normalised)
{
    auto* parameter = plugin.findParameter (name);
    ASSERT_NE (parameter, nullptr) << name;
    parameter->setValueNotifyingHost (normalised);
}

float peak (const juce::AudioBuffer<float>& buffer)
{
    return buffer.getMagnitude (0, buffer.getNumSamples());
}
} // namespace

TEST (BundleAudio, SilenceAfterActivationGivesOneTubeTransientThenExactSilence)
{
    // At the defaults (Tube, character 40) the saturator's first silent sample is the bias
    // curve's step from 0 to 0.3, about -0.1875 with the drive just leaving 1; every later
    // silent sample is exactly 0 through the whole chain.
    for (const auto channels : { 2, 1 })
    {
        SCOPED_TRACE (channels);
        auto plugin = loadPrepared (channels);
        ASSERT_NE (plugin, nullptr);

        for (int k = 0; k < 3; ++k)
        {
            juce::AudioBuffer<float> buffer (channels, blockSize);
            buffer.clear();
            plugin->process (buffer);

            for (int c = 0; c < channels; ++c)
                for (int i = 0; i < blockSize; ++i)
                {
                    if (k == 0 && i == 0)
                        EXPECT_NEAR (buffer.getSample (c, i), -0.1875f, 0.002f) << c;
                    else
                        ASSERT_EQ (buffer.getSample (c, i), 0.0f) << k << ":" << c << ":" << i;
                }
        }
    }
}

TEST (BundleAudio, ProcessedSignalIsShapedAndNeverExceedsTheClip)
{
    auto plugin = loadPrepared();
    ASSERT_NE (plugin, nullptr);
    setParameter (*plugin, "Character", 0.0f); // the lightest compression
    setParameter (*plugin, "Input", 1.0f);  // +24 dB
    setParameter (*plugin, "Output", 1.0f); // +12 dB

    auto largest = 0.0f, smallestNegative = 0.0f;
    auto differs = false;
    for (int k = 0; k < 40; ++k)
    {
        const auto in = sine (2, k, 0.5f);
        auto out = in;
        plugin->process (out);

        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < blockSize; ++i)
            {
                const auto y = out.getSample (c, i);
                ASSERT_TRUE (std::isfinite (y));
                ASSERT_LE (std::abs (y), clipLevel) << k << ":" << c << ":" << i;
                largest = std::max (largest, y);
                smallestNegative = std::min (smallestNegative, y);
                differs = differs || y != in.getSample (c, i);
            }
    }

    EXPECT_TRUE (differs);
    EXPECT_EQ (largest, clipLevel) << "the clip is reached";
    EXPECT_EQ (smallestNegative, -clipLevel);
}

TEST (BundleAudio, OwnBypassFadesOverTenMillisecondsThenPassesTheInputExactly)
{
    auto faded = loadPrepared();
    auto processed = loadPrepared();
    ASSERT_NE (faded, nullptr);
    ASSERT_NE (processed, nullptr);

    int k = 0;
    for (; k < 4; ++k)
    {
        auto a = sine (2, k, 1.2f), b = a;
        faded->process (a);
        processed->process (b);
    }

    // The plug-in's own "Bypass", not the wrapper's host bypass (which switches at once).
    ASSERT_NE (faded->findParameter ("Bypass"), nullptr);
    ASSERT_EQ (faded->findParameter ("Bypass"), faded->parameters()[6]);
    setParameter (*faded, "Bypass", 1.0f);

    {
        const auto in = sine (2, k++, 1.2f);
        auto out = in, reference = in;
        faded->process (out);
        processed->process (reference);

        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < blockSize; ++i)
            {
                const auto t = std::min (1.0f, static_cast<float> (i + 1) / 480.0f);
                const auto expected = t * in.getSample (c, i) + (1.0f - t) * reference.getSample (c, i);
                ASSERT_NEAR (out.getSample (c, i), expected, 1e-4f) << c << ":" << i;
            }
    }

    for (int n = 0; n < 4; ++n)
    {
        const auto in = sine (2, k++, 1.2f);
        auto out = in;
        faded->process (out);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < blockSize; ++i)
                ASSERT_EQ (out.getSample (c, i), in.getSample (c, i)) << n << ":" << c << ":" << i;
        EXPECT_GT (peak (out), clipLevel) << "the dry signal is not clipped";
    }
}
