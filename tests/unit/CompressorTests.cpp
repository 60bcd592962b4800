#include <gtest/gtest.h>

#include "processor/Compressor.h"

#include <cmath>
#include <vector>

namespace
{
/** A compressor at the rate with the character set and the make-up gain settled. */
Compressor settled (float character, double rate = 48000.0)
{
    Compressor c;
    prepare (c, rate);
    setBlockSettings (c, character);
    prepare (c, rate); // snaps the make-up ramp to its target
    return c;
}

std::vector<float> run (Compressor& c, std::vector<float> samples)
{
    float* channels[] { samples.data() };
    juce::dsp::AudioBlock<float> block (channels, 1, samples.size());
    process (c, block);
    return samples;
}

float fromDb (float db)
{
    return std::pow (10.0f, db / 20.0f);
}
} // namespace

TEST (Compressor, CharacterSetsThresholdRatioAndMakeup)
{
    struct Case
    {
        float character, threshold, ratio, makeup;
    };
    const Case cases[] {
        { 0.0f, -8.0f, 1.3f, 1.0f },
        { 0.4f, -16.0f, 2.7f, 1.2022644f },
        { 1.0f, -28.0f, 4.8f, 1.5848932f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.character);
        Compressor comp;
        setBlockSettings (comp, c.character);
        EXPECT_FLOAT_EQ (comp.thresholdDb, c.threshold);
        EXPECT_FLOAT_EQ (comp.ratio, c.ratio);
        EXPECT_FLOAT_EQ (comp.makeup.getTargetValue(), c.makeup);
        EXPECT_EQ (comp.mix.getTargetValue(), 1.0f);
        EXPECT_EQ (comp.attackMs, 15.0f);
        EXPECT_EQ (comp.releaseMs, 160.0f);
    }

    // A character change glides the make-up linearly over 20 ms.
    auto comp = settled (0.0f);
    setBlockSettings (comp, 1.0f);
    comp.makeup.skip (480);
    EXPECT_NEAR (comp.makeup.getCurrentValue(), (1.0f + 1.5848932f) / 2.0f, 1e-5);
    comp.makeup.skip (480);
    EXPECT_FALSE (comp.makeup.isSmoothing());
}

TEST (Compressor, EnvelopeCoefficientsFollowTheRate)
{
    struct Case
    {
        double rate;
        float attack, release;
    };
    const Case cases[] {
        { 44100.0, 0.99848944f, 0.99985826f },
        { 48000.0, 0.99861205f, 0.99986982f },
        { 96000.0, 0.99930578f, 0.99993491f },
    };

    for (const auto& c : cases)
    {
        Compressor comp;
        prepare (comp, c.rate);
        setBlockSettings (comp, 0.4f);
        EXPECT_FLOAT_EQ (comp.attackCoeff, c.attack) << c.rate;
        EXPECT_FLOAT_EQ (comp.releaseCoeff, c.release) << c.rate;
    }
}

TEST (Compressor, KneeCurveAtTheDefaultCharacter)
{
    struct Case
    {
        float level, reduction;
    };
    const Case cases[] {
        { -40.0f, 0.0f }, { -19.0f, 0.0f },    { -17.5f, 0.1180556f }, { -16.0f, 0.4722222f },
        { -13.0f, 1.8888889f }, { -6.0f, 6.2962963f }, { 0.0f, 10.0740741f }, { 60.0f, 47.8518519f },
    };

    for (const auto& c : cases)
        EXPECT_NEAR (gainReductionDb (c.level, -16.0f, 2.7f), c.reduction, 2e-5) << c.level << " dB";

    // The knee joins both straight parts without a step.
    EXPECT_NEAR (gainReductionDb (-13.0001f, -16.0f, 2.7f), gainReductionDb (-12.9999f, -16.0f, 2.7f), 1e-3);
    for (auto level = -120.0f; level < 20.0f; level += 0.37f)
        ASSERT_GE (gainReductionDb (level, -28.0f, 4.8f), 0.0f) << level;
    EXPECT_EQ (gainReductionDb (5.0f, -8.0f, 1.0f), 0.0f) << "a ratio of 1 never reduces";
}

TEST (Compressor, SettledLevelsGiveTheCurveThroughTheStage)
{
    struct Case
    {
        float levelDb, reduction;
    };
    const Case cases[] { { -16.0f, 0.4722f }, { -13.0f, 1.8889f }, { -6.0f, 6.2963f }, { -19.0f, 0.0f }, { -30.0f, 0.0f } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.levelDb);
        auto comp = settled (0.4f);
        const auto x = fromDb (c.levelDb);
        const auto out = run (comp, std::vector<float> (40000, x));

        EXPECT_NEAR (comp.gainReductionDb, c.reduction, 2e-3);
        EXPECT_NEAR (comp.envelope, x, x * 1e-4) << "float steps stall a few units short of the level";
        const auto gain = out.back() / x / 1.2022644f;
        EXPECT_NEAR (20.0f * std::log10 (gain), -c.reduction, 2e-3);
    }
}

TEST (Compressor, EnvelopeRisesWithAttackAndFallsWithRelease)
{
    auto comp = settled (0.4f);
    run (comp, { 1.0f });
    EXPECT_FLOAT_EQ (comp.envelope, 1.0f - comp.attackCoeff);

    const auto risen = comp.envelope;
    run (comp, { 0.0f, 0.0f });
    EXPECT_FLOAT_EQ (comp.envelope, risen * comp.releaseCoeff * comp.releaseCoeff);

    // Silence from the start: the level sits on the -100 dB floor, nothing is reduced.
    auto quiet = settled (1.0f);
    const auto out = run (quiet, std::vector<float> (256, 0.0f));
    EXPECT_EQ (quiet.envelope, 0.0f);
    EXPECT_EQ (quiet.gainReductionDb, 0.0f);
    for (auto y : out)
        ASSERT_EQ (y, 0.0f);
}

TEST (Compressor, ChannelsAreLinkedThroughOneEnvelope)
{
    const auto n = 2000;
    juce::AudioBuffer<float> buffer (2, n);
    std::vector<float> left (n), right (n);
    for (int i = 0; i < n; ++i)
    {
        left[static_cast<size_t> (i)] = 0.8f * std::sin (0.01f * static_cast<float> (i));
        right[static_cast<size_t> (i)] = 0.125f * left[static_cast<size_t> (i)]; // always the quieter one
        buffer.setSample (0, i, left[static_cast<size_t> (i)]);
        buffer.setSample (1, i, right[static_cast<size_t> (i)]);
    }

    auto stereo = settled (0.4f);
    auto leftAlone = stereo;
    auto rightAlone = stereo;
    juce::dsp::AudioBlock<float> block (buffer);
    process (stereo, block);
    const auto leftOut = run (leftAlone, left);
    const auto rightOut = run (rightAlone, right);

    for (int i = 0; i < n; ++i)
        ASSERT_EQ (buffer.getSample (0, i), leftOut[static_cast<size_t> (i)]) << "the louder channel drives the envelope";

    EXPECT_GT (stereo.gainReductionDb, 3.0f);
    EXPECT_EQ (rightAlone.gainReductionDb, 0.0f);
    for (int i = 0; i < n; ++i)
        ASSERT_NEAR (buffer.getSample (1, i), 0.125f * buffer.getSample (0, i), 1e-7f) << "the same gain on both channels at " << i;
    EXPECT_LT (std::abs (buffer.getSample (1, n - 1)), std::abs (rightOut.back()));
}

TEST (Compressor, EmptyBlockKeepsTheEnvelopeAndClearsTheReduction)
{
    auto comp = settled (1.0f);
    run (comp, std::vector<float> (500, 0.9f));
    ASSERT_GT (comp.gainReductionDb, 0.0f);
    const auto envelope = comp.envelope;

    run (comp, {});
    EXPECT_EQ (comp.envelope, envelope);
    EXPECT_EQ (comp.gainReductionDb, 0.0f);
}
