#include <gtest/gtest.h>

#include "processor/Biquad.h"
#include "processor/ToneEq.h"

#include <cmath>

namespace
{
constexpr double twoPi = 6.283185307179586;

/** Level in dB of a sine at frequencyHz after the processing, measured as RMS over the
    last 0.2 s of one second at 48 kHz (a whole number of periods for the frequencies used).
*/
template <typename Process>
double sineGainDb (double frequencyHz, Process&& processBlock)
{
    constexpr int rate = 48000, tail = 9600;
    juce::AudioBuffer<float> buffer (2, rate);
    for (int i = 0; i < rate; ++i)
    {
        const auto x = static_cast<float> (0.5 * std::sin (twoPi * frequencyHz * i / rate));
        buffer.setSample (0, i, x);
        buffer.setSample (1, i, x);
    }

    juce::dsp::AudioBlock<float> block (buffer);
    processBlock (block);

    double sum[2] {};
    for (int c = 0; c < 2; ++c)
        for (int i = rate - tail; i < rate; ++i)
            sum[c] += static_cast<double> (buffer.getSample (c, i)) * buffer.getSample (c, i);

    EXPECT_NEAR (sum[0], sum[1], sum[0] * 1e-9) << "both channels are filtered alike";
    const auto rms = std::sqrt (sum[0] / tail);
    return 20.0 * std::log10 (rms * std::sqrt (2.0) / 0.5);
}

ToneEq preparedTone (int channels)
{
    ToneEq tone;
    prepare (tone, { 48000.0, 48000, static_cast<juce::uint32> (channels) });
    return tone;
}
} // namespace

TEST (HighPass, DesignAt48kHz)
{
    struct Case
    {
        float frequency;
        double b0, b1, a1, a2;
    };
    const Case cases[] {
        { 100.0f, 0.990785325590, -1.981570651181, -1.981485764562, 0.981655537799 },
        { 300.0f, 0.972609930650, -1.945219861300, -1.944469725128, 0.945969997473 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.frequency);
        Biquad pair[2];
        pair[1].z1 = 0.5;
        pair[1].z2 = -0.25;
        designHighPass (pair, c.frequency, 48000.0);

        for (const auto& s : pair)
        {
            EXPECT_NEAR (s.b0, c.b0, 1e-12);
            EXPECT_NEAR (s.b1, c.b1, 1e-12);
            EXPECT_EQ (s.b2, s.b0);
            EXPECT_NEAR (s.a1, c.a1, 1e-12);
            EXPECT_NEAR (s.a2, c.a2, 1e-12);
        }
        EXPECT_EQ (pair[1].z1, 0.5) << "a design keeps the memories";
        EXPECT_EQ (pair[1].z2, -0.25);
    }
}

TEST (HighPass, ResponseAroundTheCutoff)
{
    struct Case
    {
        float cutoff;
        double probe, gainDb;
    };
    const Case cases[] {
        { 100.0f, 100.0, -3.01 }, { 100.0f, 50.0, -12.31 }, { 100.0f, 200.0, -0.26 },
        { 300.0f, 300.0, -3.01 }, { 300.0f, 150.0, -12.31 }, { 300.0f, 600.0, -0.26 },
    };

    for (const auto& c : cases)
    {
        Biquad pair[2];
        designHighPass (pair, c.cutoff, 48000.0);
        const auto db = sineGainDb (c.probe, [&] (auto& block) { processBlock (pair, block); });
        EXPECT_NEAR (db, c.gainDb, 0.015) << c.cutoff << " Hz high-pass at " << c.probe << " Hz";
    }
}

TEST (HighPass, OnlyAbove21Hz)
{
    EXPECT_FALSE (highPassIsOn (20.0f));
    EXPECT_FALSE (highPassIsOn (21.0f));
    EXPECT_TRUE (highPassIsOn (22.0f));
    EXPECT_TRUE (highPassIsOn (21.001f));
}

TEST (Tone, DesignMatchesTheFrameworkShelves)
{
    using Coefficients = juce::dsp::IIR::Coefficients<float>;

    for (const auto t : { -100.0f, -37.5f, 0.0f, 12.0f, 100.0f })
    {
        SCOPED_TRACE (t);
        for (const auto rate : { 44100.0, 48000.0, 96000.0 })
        {
            ToneEq tone;
            prepare (tone, { rate, 512, 2 });
            tone.setTone (t);

            const auto c = t / 100.0f * 9.0f;
            const auto low = Coefficients::makeLowShelf (rate, 250.0f, 0.707f, juce::Decibels::decibelsToGain (-c));
            const auto high = Coefficients::makeHighShelf (rate, 4000.0f, 0.707f, juce::Decibels::decibelsToGain (c));

            ASSERT_EQ (tone.lowShelf.state->coefficients.size(), 5);
            ASSERT_EQ (tone.highShelf.state->coefficients.size(), 5);
            for (int i = 0; i < 5; ++i)
            {
                EXPECT_EQ (tone.lowShelf.state->coefficients[i], low->coefficients[i]) << i;
                EXPECT_EQ (tone.highShelf.state->coefficients[i], high->coefficients[i]) << i;
            }
        }
    }
}

TEST (Tone, FlatAtZeroAndTiltedAtTheEnds)
{
    {
        auto tone = preparedTone (2);
        juce::Random random (7);
        juce::AudioBuffer<float> buffer (2, 4096), input (2, 4096);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 4096; ++i)
                input.setSample (c, i, random.nextFloat() * 2.0f - 1.0f);
        buffer.makeCopyOf (input);
        juce::dsp::AudioBlock<float> block (buffer);
        process (tone, block);

        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 4096; ++i)
                ASSERT_NEAR (buffer.getSample (c, i), input.getSample (c, i), 1e-6f) << c << ":" << i;
    }

    struct Case
    {
        float tone;
        double probe, gainDb;
    };
    const Case cases[] {
        { 100.0f, 20.0, -9.0 },  { 100.0f, 20000.0, 9.0 }, { 100.0f, 1000.0, 0.0 },
        { -100.0f, 20.0, 9.0 }, { -100.0f, 20000.0, -9.0 }, { -100.0f, 1000.0, 0.0 },
    };

    for (const auto& c : cases)
    {
        auto tone = preparedTone (2);
        tone.setTone (c.tone);
        const auto db = sineGainDb (c.probe, [&] (auto& block) { process (tone, block); });
        EXPECT_NEAR (db, c.gainDb, 0.5) << "tone " << c.tone << " at " << c.probe << " Hz";
    }
}

TEST (Tone, SecondPreparationClearsTheShelfMemories)
{
    auto tone = preparedTone (1);
    tone.setTone (100.0f);
    juce::AudioBuffer<float> buffer (1, 64);
    for (int i = 0; i < 64; ++i)
        buffer.setSample (0, i, 0.9f);
    juce::dsp::AudioBlock<float> block (buffer);
    process (tone, block);

    prepare (tone, { 48000.0, 64, 1 });
    buffer.clear();
    process (tone, block);
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ (buffer.getSample (0, i), 0.0f) << "silence in gives silence out after preparation";
}
