#include <gtest/gtest.h>

#include "processor/Saturator.h"

#include <cfloat>
#include <cmath>
#include <vector>

namespace
{
enum Flavor
{
    tube = 0,
    tape = 1,
    iron = 2
};

/** A saturator at 48 kHz with the flavour and character set and the drive settled. */
Saturator settled (int flavor, float character)
{
    Saturator s;
    prepare (s, 48000.0);
    setBlockSettings (s, static_cast<float> (flavor), character);
    prepare (s, 48000.0); // snaps the ramps to their new targets and clears the history
    return s;
}

std::vector<float> run (Saturator& s, std::vector<float> samples)
{
    float* channels[] { samples.data() };
    juce::dsp::AudioBlock<float> block (channels, 1, samples.size());
    process (s, block);
    return samples;
}

/** The value as the program sees it at run time: expected values below go through the
    run-time maths library like the stage's own, not through the compiler's evaluation of
    constants, which may round differently in the last place.
*/
template <typename T>
T opaque (T value)
{
    volatile T v = value;
    return v;
}

double tanhOf (float bias)
{
    return std::tanh (opaque (static_cast<double> (bias)));
}
} // namespace

TEST (Saturator, LogCoshIsExactWhereCoshIsFiniteAndStaysFiniteBeyond)
{
    const double direct[] { 0.0, 1e-12, -1e-7, 0.06, 0.3, -0.3, 1.0, 2.5, -7.75, 18.0, 20.5, 45.0, -300.0, 709.0, 709.99 };
    for (auto u : direct)
        EXPECT_EQ (logCosh (u), std::log (std::cosh (opaque (u)))) << u;

    const double ln2 = std::log (2.0);
    const double huge[] { 710.5, -711.0, 1e4, -2.4e31, 1e300, -DBL_MAX };
    for (auto u : huge)
    {
        EXPECT_TRUE (std::isfinite (logCosh (u))) << u;
        EXPECT_EQ (logCosh (u), std::abs (u) - ln2) << u;
    }

    // No step where the two evaluations meet.
    EXPECT_NEAR (logCosh (710.0 - 1e-9), logCosh (710.0), 2e-9);
}

TEST (Saturator, BlockSettingsMapFlavorChoiceAndCharacter)
{
    struct Case
    {
        float choice;
        int flavor;
        float character, drive;
    };
    const Case cases[] {
        { 0.0f, tube, 0.0f, 1.0f }, { 1.0f, tape, 0.4f, 10.2f }, { 2.0f, iron, 1.0f, 24.0f },
        { 0.49f, tube, 0.5f, 12.5f }, { 1.5f, iron, 0.1f, 3.3f },
    };

    for (const auto& c : cases)
    {
        Saturator s;
        setBlockSettings (s, c.choice, c.character);
        EXPECT_EQ (s.flavor, c.flavor) << c.choice;
        EXPECT_FLOAT_EQ (s.drive.getTargetValue(), c.drive) << c.character;
        EXPECT_EQ (s.mix.getTargetValue(), 1.0f);
    }
}

TEST (Saturator, SilenceAfterPreparationSettlesAtOnceExceptForTheTapeOnePole)
{
    const auto tubeStep = logCosh (0.3f) / static_cast<double> (0.3f) - tanhOf (0.3f);
    const auto tapeStep = logCosh (0.06f) / static_cast<double> (0.06f) - tanhOf (0.06f);

    struct Case
    {
        int flavor;
        float character;
        double first, second;
    };
    const Case cases[] {
        { tube, 0.0f, tubeStep / std::tanh (1.0), 0.0 }, // about -0.188
        { tube, 1.0f, tubeStep, 0.0 },                   // N = 1: about -0.1435
        { iron, 0.0f, 0.0, 0.0 },
        { iron, 1.0f, 0.0, 0.0 },
        { tape, 1.0f, 0.35 * tapeStep, 0.65 * 0.35 * tapeStep },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << "flavor " << c.flavor << ", character " << c.character);
        auto s = settled (c.flavor, c.character);
        const auto out = run (s, std::vector<float> (64, 0.0f));

        EXPECT_NEAR (out[0], c.first, 1e-6);
        EXPECT_NEAR (out[1], c.second, 1e-6);
        if (c.flavor != tape)
        {
            for (size_t i = 1; i < out.size(); ++i)
                ASSERT_EQ (out[i], 0.0f) << i;
        }
    }

    EXPECT_NEAR (tubeStep / std::tanh (1.0), -0.188, 5e-4);
    EXPECT_NEAR (tubeStep, -0.1435, 5e-5);
}

TEST (Saturator, ConstantInputFollowsTheStaticCurve)
{
    struct Case
    {
        int flavor;
        float character, x;
    };
    const Case cases[] {
        { tube, 0.0f, 0.25f }, { tube, 0.4f, -0.5f }, { iron, 0.0f, 1.0f },
        { iron, 1.0f, -0.03f }, { tape, 0.4f, 0.2f }, { tape, 0.0f, -0.7f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << "flavor " << c.flavor << ", character " << c.character << ", x " << c.x);
        auto s = settled (c.flavor, c.character);
        const auto d = s.drive.getCurrentValue();
        const auto b = saturatorFlavor (c.flavor).bias;
        const auto n = static_cast<float> (1.0 / std::tanh (opaque (static_cast<double> (d))));
        const auto u = opaque (static_cast<double> (c.x) * static_cast<double> (d) + static_cast<double> (b));
        const auto e = static_cast<float> (std::tanh (u) - tanhOf (b));
        const auto expected = n * e;

        const auto out = run (s, std::vector<float> (400, c.x));

        if (c.flavor == tape)
        {
            EXPECT_NEAR (out.back(), expected, 1e-6) << "the one-pole converges to the curve";
            EXPECT_NE (out[1], expected);
        }
        else
        {
            for (size_t i = 1; i < out.size(); ++i)
                ASSERT_EQ (out[i], expected) << i;
        }
    }

    auto iron0 = settled (iron, 0.0f);
    EXPECT_FLOAT_EQ (run (iron0, std::vector<float> (4, 1.0f))[3], 1.0f) << "full scale comes back at full scale";
}

TEST (Saturator, LargeInputsApproachTheFlavorLimitsAndStayFinite)
{
    struct Case
    {
        int flavor;
        double positive, negative;
    };
    const Case cases[] {
        { tube, 0.7087, -1.2913 },
        { tape, 0.9401, -1.0599 },
        { iron, 1.0, -1.0 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.flavor);
        for (const auto x : { 1000.0f, 1e30f, FLT_MAX })
        {
            auto up = settled (c.flavor, 1.0f);
            auto down = settled (c.flavor, 1.0f);
            EXPECT_NEAR (run (up, std::vector<float> (200, x)).back(), c.positive, 1e-4) << x;
            EXPECT_NEAR (run (down, std::vector<float> (200, -x)).back(), c.negative, 1e-4) << -x;
        }

        // Jumps between the extremes keep the difference quotient finite.
        auto s = settled (c.flavor, 1.0f);
        for (const auto y : run (s, { FLT_MAX, -FLT_MAX, 3e38f, 0.0f, -FLT_MAX, 1.0f }))
            ASSERT_TRUE (std::isfinite (y));
    }
}

TEST (Saturator, ChannelsShareTheDriveRampSampleBySample)
{
    for (const auto flavor : { tube, tape, iron })
    {
        SCOPED_TRACE (flavor);
        auto stereo = settled (flavor, 0.0f);
        setBlockSettings (stereo, static_cast<float> (flavor), 1.0f); // drive glides 1 -> 24 over 960 samples
        ASSERT_TRUE (stereo.drive.isSmoothing());
        auto mono = stereo;

        for (int blockIndex = 0; blockIndex < 3; ++blockIndex)
        {
            juce::AudioBuffer<float> buffer (2, 400);
            std::vector<float> reference (400);
            for (int i = 0; i < 400; ++i)
            {
                const auto x = 0.6f * std::sin (0.05f * static_cast<float> (blockIndex * 400 + i));
                buffer.setSample (0, i, x);
                buffer.setSample (1, i, x);
                reference[static_cast<size_t> (i)] = x;
            }

            juce::dsp::AudioBlock<float> block (buffer);
            process (stereo, block);
            reference = run (mono, reference);

            for (int i = 0; i < 400; ++i)
            {
                ASSERT_EQ (buffer.getSample (0, i), buffer.getSample (1, i)) << blockIndex << ":" << i;
                ASSERT_EQ (buffer.getSample (0, i), reference[static_cast<size_t> (i)]) << blockIndex << ":" << i;
            }
            EXPECT_EQ (stereo.drive.getCurrentValue(), mono.drive.getCurrentValue());
        }

        EXPECT_FALSE (stereo.drive.isSmoothing());
        EXPECT_EQ (stereo.drive.getCurrentValue(), 24.0f);
    }
}
