#include <gtest/gtest.h>

#include "processor/ParameterLayout.h"
#include "processor/VarnuProcessor.h"
#include "support/ProcessorProbe.h"
#include "support/TestHelpers.h"

#include <cfloat>
#include <cmath>
#include <limits>

using namespace testing_support;

namespace
{
constexpr double rate = 48000.0;
constexpr int blockSize = 512;

/** A test signal: two sines per channel, different on the two channels. */
juce::AudioBuffer<float> signal (int channels, int samples, float amplitude, int offset = 0)
{
    juce::AudioBuffer<float> buffer (channels, samples);
    for (int c = 0; c < channels; ++c)
        for (int i = 0; i < samples; ++i)
        {
            const auto t = static_cast<double> (offset + i) / rate;
            const auto v = 0.7 * std::sin (6.283185307179586 * (220.0 + 110.0 * c) * t)
                         + 0.3 * std::sin (6.283185307179586 * 3100.0 * t + c);
            buffer.setSample (c, i, static_cast<float> (amplitude * v));
        }
    return buffer;
}

struct Strip
{
    explicit Strip (bool mono = false)
    {
        if (mono)
        {
            juce::AudioProcessor::BusesLayout layout;
            layout.inputBuses.add (juce::AudioChannelSet::mono());
            layout.outputBuses.add (juce::AudioChannelSet::mono());
            p.setBusesLayout (layout);
        }
        p.prepareToPlay (rate, blockSize);
    }

    void set (const char* id, float plain) { setPlain (p.apvts, id, plain); }

    juce::AudioBuffer<float> run (juce::AudioBuffer<float> buffer)
    {
        juce::MidiBuffer midi;
        p.processBlock (buffer, midi);
        return buffer;
    }

    VarnuProcessor p;
    VarnuProcessorProbe probe { p };
};

void expectIdentical (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b, const char* what)
{
    ASSERT_EQ (a.getNumChannels(), b.getNumChannels());
    ASSERT_EQ (a.getNumSamples(), b.getNumSamples());
    for (int c = 0; c < a.getNumChannels(); ++c)
        for (int i = 0; i < a.getNumSamples(); ++i)
            ASSERT_EQ (a.getSample (c, i), b.getSample (c, i)) << what << " at channel " << c << ", sample " << i;
}

float largest (const juce::AudioBuffer<float>& buffer)
{
    return buffer.getMagnitude (0, buffer.getNumSamples());
}
} // namespace

TEST (BlockProcessing, EmptyBlockAppliesSettingsButAdvancesNothing)
{
    Strip s;
    s.set (ParameterIds::input, 6.0f);
    s.set (ParameterIds::character, 100.0f);
    s.set (ParameterIds::hpf, 300.0f);
    s.set (ParameterIds::tone, 100.0f);
    s.p.meterLevels.inputPeak = 0.5f;
    s.p.meterLevels.outputPeak = 0.5f;
    s.p.meterLevels.gainReduction = 3.0f;
    s.probe.compressor().gainReductionDb = 3.0f;
    s.probe.compressor().envelope = 0.25f;
    s.p.analyzerFifo.writeIndex = 10;

    s.run (juce::AudioBuffer<float> (2, 0));

    EXPECT_FLOAT_EQ (s.probe.inputGain().getTargetValue(), 1.9952624f);
    EXPECT_EQ (s.probe.inputGain().getCurrentValue(), 1.0f) << "no ramp advances";
    EXPECT_EQ (s.probe.saturator().drive.getCurrentValue(), 1.0f);
    EXPECT_EQ (s.probe.saturator().drive.getTargetValue(), 24.0f);
    EXPECT_FLOAT_EQ (s.probe.compressor().thresholdDb, -28.0f);
    EXPECT_FLOAT_EQ (s.probe.compressor().attackCoeff, 0.99861205f);
    EXPECT_EQ (s.probe.compressor().envelope, 0.25f);

    Biquad expected;
    designHighPass (expected, 300.0f, rate);
    EXPECT_EQ (s.probe.highPass (0).b0, expected.b0);
    EXPECT_EQ (s.probe.highPass (1).a1, expected.a1);
    EXPECT_NE (s.probe.toneEq().highShelf.state->coefficients[0], 1.0f);

    EXPECT_EQ (s.p.meterLevels.inputPeak.load(), 0.0f);
    EXPECT_EQ (s.p.meterLevels.outputPeak.load(), 0.0f);
    EXPECT_EQ (s.p.meterLevels.gainReduction.load(), 0.0f);
    EXPECT_EQ (s.p.analyzerFifo.writeIndex.load(), 10u);
}

TEST (BlockProcessing, BypassFadesOverTenMillisecondsThenPassesTheInputExactly)
{
    Strip faded, processed;
    int offset = 0;
    auto next = [&] {
        auto b = signal (2, blockSize, 1.2f, offset); // beyond the clip level
        offset += blockSize;
        return b;
    };

    for (int i = 0; i < 3; ++i)
    {
        const auto in = next();
        faded.run (in);
        processed.run (in);
    }

    // On: 480 samples of linear fade towards the dry input, then the input itself.
    faded.set (ParameterIds::bypass, 1.0f);
    juce::SmoothedValue<float> mix;
    mix.reset (rate, 0.01);
    mix.setTargetValue (1.0f);

    auto in = next();
    auto out = faded.run (in);
    auto reference = processed.run (in);
    for (int i = 0; i < blockSize; ++i)
    {
        const auto t = mix.getNextValue();
        ASSERT_NEAR (t, std::min (1.0f, static_cast<float> (i + 1) / 480.0f), 1e-5f) << "linear over 480 samples";
        for (int c = 0; c < 2; ++c)
        {
            const auto expected = t * in.getSample (c, i) + (1.0f - t) * reference.getSample (c, i);
            ASSERT_NEAR (out.getSample (c, i), expected, 1e-6f) << c << ":" << i;
        }
    }
    EXPECT_EQ (faded.p.meterLevels.gainReduction.load(), 0.0f);
    EXPECT_GT (processed.p.meterLevels.gainReduction.load(), 1.0f);

    for (int k = 0; k < 3; ++k)
    {
        in = next();
        out = faded.run (in);
        processed.run (in);
        expectIdentical (out, in, "bypassed output");
        EXPECT_EQ (faded.p.meterLevels.outputPeak.load(), faded.p.meterLevels.inputPeak.load());
        EXPECT_GT (faded.p.meterLevels.outputPeak.load(), 0.97f) << "the dry signal is not clipped";
        EXPECT_EQ (faded.p.meterLevels.gainReduction.load(), 0.0f);
    }

    // Off: a fade back, after which the output is the processed signal again, because the
    // stages kept running while the output was dry.
    faded.set (ParameterIds::bypass, 0.0f);
    mix.setTargetValue (0.0f);
    in = next();
    out = faded.run (in);
    reference = processed.run (in);
    for (int i = 0; i < blockSize; ++i)
    {
        const auto t = mix.getNextValue();
        const auto expected = t * in.getSample (0, i) + (1.0f - t) * reference.getSample (0, i);
        ASSERT_NEAR (out.getSample (0, i), expected, 1e-6f) << i;
    }
    EXPECT_FALSE (faded.probe.bypassMix().isSmoothing());

    in = next();
    expectIdentical (faded.run (in), processed.run (in), "output after the fade back");
}

TEST (BlockProcessing, ProcessedOutputStaysWithinTheClip)
{
    for (const auto flavor : { 0.0f, 1.0f, 2.0f })
    {
        SCOPED_TRACE (flavor);
        Strip s;
        s.set (ParameterIds::flavor, flavor);
        s.set (ParameterIds::character, 100.0f);
        s.set (ParameterIds::input, 24.0f);
        s.set (ParameterIds::output, 12.0f);
        s.set (ParameterIds::tone, 100.0f);

        auto peak = 0.0f;
        for (int k = 0; k < 20; ++k)
        {
            const auto out = s.run (signal (2, blockSize, 0.9f, k * blockSize));
            peak = std::max (peak, largest (out));
            EXPECT_EQ (s.p.meterLevels.outputPeak.load(), largest (out));
        }
        EXPECT_EQ (peak, 0.97f) << "the clip is reached and never exceeded";
    }
}

TEST (BlockProcessing, MonoBusMatchesAStereoBusWithEqualChannels)
{
    Strip mono (true), stereo;
    for (auto* s : { &mono, &stereo })
    {
        s->set (ParameterIds::hpf, 120.0f);
        s->set (ParameterIds::tone, -40.0f);
        s->set (ParameterIds::flavor, 1.0f);
    }

    for (int k = 0; k < 8; ++k)
    {
        if (k == 3)
            for (auto* s : { &mono, &stereo })
            {
                s->set (ParameterIds::character, 90.0f); // drive and make-up glide
                s->set (ParameterIds::input, -6.0f);
            }

        const auto in = signal (1, blockSize, 0.8f, k * blockSize);
        juce::AudioBuffer<float> both (2, blockSize);
        both.copyFrom (0, 0, in, 0, 0, blockSize);
        both.copyFrom (1, 0, in, 0, 0, blockSize);

        const auto monoOut = mono.run (in);
        const auto stereoOut = stereo.run (both);

        for (int i = 0; i < blockSize; ++i)
        {
            ASSERT_EQ (monoOut.getSample (0, i), stereoOut.getSample (0, i)) << k << ":" << i;
            ASSERT_EQ (stereoOut.getSample (1, i), stereoOut.getSample (0, i)) << k << ":" << i;
        }

        const auto start = static_cast<std::uint32_t> (k * blockSize);
        for (int i = 0; i < blockSize; ++i)
            ASSERT_EQ (mono.p.analyzerFifo.samples[(start + static_cast<std::uint32_t> (i)) % 4096].load(),
                       monoOut.getSample (0, i))
                << "the analyser gets channel 0 unchanged";
        EXPECT_EQ (mono.p.meterLevels.gainReduction.load(), stereo.p.meterLevels.gainReduction.load());
    }
}

TEST (BlockProcessing, MetersAndAnalyserFeed)
{
    Strip s;
    s.set (ParameterIds::input, 12.0f);
    s.run (signal (2, blockSize, 0.9f)); // the envelope rises into the knee
    s.p.analyzerFifo.writeIndex = 4294967294u; // two short of the wrap

    const auto in = signal (2, 5, 0.9f, blockSize);
    const auto out = s.run (in);

    EXPECT_EQ (s.p.meterLevels.inputPeak.load(), largest (in)) << "the block as it arrives, before the input gain";
    EXPECT_EQ (s.p.meterLevels.outputPeak.load(), largest (out));
    EXPECT_GT (s.p.meterLevels.gainReduction.load(), 0.0f);
    EXPECT_EQ (s.p.meterLevels.gainReduction.load(), s.probe.compressor().gainReductionDb);

    EXPECT_EQ (s.p.analyzerFifo.writeIndex.load(), 3u);
    const unsigned slots[] { 4094, 4095, 0, 1, 2 };
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ (s.p.analyzerFifo.samples[slots[i]].load(), (out.getSample (0, i) + out.getSample (1, i)) * 0.5f) << i;
}

TEST (BlockProcessing, HighPassRunsOnlyAbove21Hz)
{
    struct Case
    {
        float hpf;
        bool runs;
    };
    const Case cases[] { { 20.0f, false }, { 21.0f, false }, { 22.0f, true }, { 300.0f, true } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.hpf);
        Strip s;
        s.set (ParameterIds::hpf, c.hpf);
        s.probe.highPass (0).z1 = 0.125;
        s.probe.highPass (1).z2 = -0.0625;
        s.run (signal (2, 64, 0.5f));

        Biquad expected;
        designHighPass (expected, c.runs ? c.hpf : 20.0f, rate);
        EXPECT_EQ (s.probe.highPass (0).a1, expected.a1);
        EXPECT_EQ (s.probe.highPass (1).b0, expected.b0);
        if (c.runs)
        {
            EXPECT_NE (s.probe.highPass (0).z1, 0.125);
            EXPECT_NE (s.probe.highPass (1).z2, -0.0625);
        }
        else
        {
            EXPECT_EQ (s.probe.highPass (0).z1, 0.125) << "memories move only while it runs";
            EXPECT_EQ (s.probe.highPass (1).z2, -0.0625);
        }
    }
}

TEST (BlockProcessing, NonFiniteInputCountsAsSilence)
{
    const float poisons[] { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity() };

    for (const auto poison : poisons)
    {
        SCOPED_TRACE (poison);
        Strip dirty, clean;
        for (auto* s : { &dirty, &clean })
        {
            s->set (ParameterIds::hpf, 80.0f);
            s->set (ParameterIds::character, 70.0f);
        }

        for (int k = 0; k < 6; ++k)
        {
            auto in = signal (2, blockSize, 0.7f, k * blockSize);
            auto zeroed = in;
            if (k == 1 || k == 2)
                for (const auto& [c, i] : { std::pair { 0, 7 }, std::pair { 1, 7 }, std::pair { 1, 300 }, std::pair { 0, 511 } })
                {
                    in.setSample (c, i, poison);
                    zeroed.setSample (c, i, 0.0f);
                }
            if (k == 2)
                for (auto* s : { &dirty, &clean })
                    s->set (ParameterIds::bypass, 1.0f); // the dry copy sees the zeros too

            const auto out = dirty.run (in);
            expectIdentical (out, clean.run (zeroed), "output next to the zeroed input");
            EXPECT_EQ (dirty.p.meterLevels.inputPeak.load(), clean.p.meterLevels.inputPeak.load());
            EXPECT_TRUE (std::isfinite (dirty.p.meterLevels.gainReduction.load()));
        }
        EXPECT_TRUE (std::isfinite (dirty.probe.compressor().envelope));
    }

    // Finite extremes pass the dry path untouched.
    Strip bypassed;
    bypassed.set (ParameterIds::bypass, 1.0f);
    bypassed.run (juce::AudioBuffer<float> (2, blockSize)); // the fade completes
    const float values[] { FLT_MAX, -FLT_MAX, 1e-30f, std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::infinity(), -0.5f };
    juce::AudioBuffer<float> both (2, 6);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 6; ++i)
            both.setSample (c, i, values[i]);
    const auto out = bypassed.run (both);
    const float expected[] { FLT_MAX, -FLT_MAX, 1e-30f, 0.0f, 0.0f, -0.5f };
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ (out.getSample (1, i), expected[i]) << i;
    EXPECT_EQ (bypassed.p.meterLevels.inputPeak.load(), FLT_MAX);
}

TEST (BlockProcessing, HugeFiniteInputKeepsTheStripFinite)
{
    Strip s;
    s.set (ParameterIds::input, 24.0f);
    s.set (ParameterIds::hpf, 200.0f);
    auto in = signal (2, blockSize, 0.5f);
    in.setSample (0, 10, FLT_MAX);
    in.setSample (1, 11, -3e38f);
    s.run (in);

    for (int k = 0; k < 4; ++k)
    {
        const auto out = s.run (signal (2, blockSize, 0.5f, (k + 1) * blockSize));
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < blockSize; ++i)
                ASSERT_TRUE (std::isfinite (out.getSample (c, i))) << k << ":" << c << ":" << i;
    }
}
