#include <gtest/gtest.h>

#include "processor/GainRamp.h"

#include <cmath>

namespace
{
juce::AudioBuffer<float> ones (int channels, int samples)
{
    juce::AudioBuffer<float> buffer (channels, samples);
    for (int c = 0; c < channels; ++c)
        juce::FloatVectorOperations::fill (buffer.getWritePointer (c), 1.0f, samples);
    return buffer;
}
} // namespace

TEST (GainRamp, DecibelsBecomeFactorsWithAFloorAtMinus100)
{
    struct Case
    {
        float db, factor;
    };
    const Case cases[] {
        { 0.0f, 1.0f },          { 6.0f, 1.9952624f },  { -6.0f, 0.50118721f }, { 24.0f, 15.848932f },
        { -24.0f, 0.063095734f }, { -99.9f, 1.0115795e-5f }, { -100.0f, 0.0f },    { -140.0f, 0.0f },
    };

    for (const auto& c : cases)
    {
        GainRamp ramp; // length 0: the target takes effect at once
        setGainTargetDecibels (ramp, c.db);
        if (c.db <= -100.0f)
        {
            EXPECT_EQ (ramp.getCurrentValue(), 0.0f) << c.db << " dB";
        }
        else
        {
            EXPECT_NEAR (ramp.getCurrentValue(), c.factor, c.factor * 2e-6f) << c.db << " dB";
        }
        EXPECT_FALSE (ramp.isSmoothing());
    }
}

TEST (GainRamp, SixDecibelStepGlidesByEqualRatiosAndLandsExactlyOnTarget)
{
    GainRamp ramp;
    ramp.reset (48000.0, 0.02); // 960 samples
    setGainTargetDecibels (ramp, 6.0f);

    auto buffer = ones (2, 1200);
    juce::dsp::AudioBlock<float> block (buffer);
    applyGainRamp (ramp, block);

    const auto target = std::pow (10.0f, 0.3f);
    ASSERT_EQ (target, 1.9952624f);

    const auto* left = buffer.getReadPointer (0);
    const auto* right = buffer.getReadPointer (1);
    const auto ratio = std::pow (1.9952624, 1.0 / 960.0);

    EXPECT_NEAR (left[0], ratio, 1e-6) << "the first sample already takes one step";
    for (int i = 1; i < 959; ++i)
        ASSERT_NEAR (left[i] / left[i - 1], ratio, 2e-6) << i;

    EXPECT_LT (left[958], target);
    EXPECT_EQ (left[959], target) << "the last step lands exactly on the target";
    for (int i = 960; i < 1200; ++i)
        ASSERT_EQ (left[i], target) << i;

    for (int i = 0; i < 1200; ++i)
        ASSERT_EQ (left[i], right[i]) << "every channel uses the same value at index " << i;
}

TEST (GainRamp, UnchangedTargetRunsOnAndNewTargetRestartsFromPresentValue)
{
    GainRamp ramp;
    ramp.reset (48000.0, 0.02);
    setGainTargetDecibels (ramp, 6.0f);
    ramp.skip (400);

    setGainTargetDecibels (ramp, 6.0f);
    auto steps = 0;
    for (auto r = ramp; r.isSmoothing(); r.getNextValue())
        ++steps;
    EXPECT_EQ (steps, 560) << "the same target lets the ramp run on";

    const auto present = ramp.getCurrentValue();
    setGainTargetDecibels (ramp, -6.0f);
    auto restarted = ramp;
    const auto first = restarted.getNextValue();
    steps = 1;
    for (; restarted.isSmoothing(); restarted.getNextValue())
        ++steps;
    EXPECT_EQ (steps, 960) << "a new target restarts the full ramp";
    EXPECT_LT (first, present);
    EXPECT_GT (first, present * 0.99f) << "from the present value";
}

TEST (GainRamp, IdleRampStillScalesTheWholeBlock)
{
    GainRamp ramp;
    ramp.reset (44100.0, 0.02);
    setGainTargetDecibels (ramp, -6.0f); // ramp length > 0, but nothing has been set before
    ramp.reset (44100.0, 0.02);          // snap: idle at the factor of -6 dB

    auto buffer = ones (2, 64);
    juce::dsp::AudioBlock<float> block (buffer);
    applyGainRamp (ramp, block);

    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 64; ++i)
            ASSERT_EQ (buffer.getSample (c, i), juce::Decibels::decibelsToGain (-6.0f));
}
