#include <gtest/gtest.h>

#include "processor/VarnuProcessor.h"
#include "support/ProcessorProbe.h"
#include "support/TestHelpers.h"

using namespace testing_support;

TEST (ProcessorShell, FreshInstanceAnswers)
{
    VarnuProcessor p;
    VarnuProcessorProbe probe { p };

    EXPECT_EQ (p.getName(), "QEL VARNU");
    EXPECT_EQ (p.getCurrentProgram(), 0);
    EXPECT_EQ (p.getTailLengthSeconds(), 0.0);
    EXPECT_FALSE (p.acceptsMidi());
    EXPECT_FALSE (p.producesMidi());
    EXPECT_TRUE (p.hasEditor());
    EXPECT_FALSE (p.isMidiEffect());
    EXPECT_EQ (p.getLatencySamples(), 0);
    EXPECT_FALSE (p.supportsDoublePrecisionProcessing());
    EXPECT_EQ (p.getBypassParameter(), nullptr);
    EXPECT_EQ (probe.sampleRate(), 48000.0);

    const float defaults[] { 40.0f, 0.0f, 0.0f, 20.0f, 0.0f, 0.0f, 0.0f };
    for (int i = 0; i < 7; ++i)
    {
        ASSERT_NE (probe.rawValue (i), nullptr);
        EXPECT_FLOAT_EQ (probe.rawValue (i)->load(), defaults[i]) << "parameter " << i;
    }

    EXPECT_EQ (p.meterLevels.inputPeak.load(), 0.0f);
    EXPECT_EQ (p.meterLevels.outputPeak.load(), 0.0f);
    EXPECT_EQ (p.meterLevels.gainReduction.load(), 0.0f);
    EXPECT_EQ (p.analyzerFifo.writeIndex.load(), 0u);
    for (auto& s : p.analyzerFifo.samples)
        ASSERT_EQ (s.load(), 0.0f);

    // Nothing is allocated for the crossfade until the processor is prepared.
    EXPECT_EQ (probe.dryBuffer().getNumChannels(), 0);
    EXPECT_EQ (probe.dryBuffer().getNumSamples(), 0);
}

TEST (ProcessorShell, BusesAreStereoInputAndOutput)
{
    VarnuProcessor p;
    ASSERT_EQ (p.getBusCount (true), 1);
    ASSERT_EQ (p.getBusCount (false), 1);
    EXPECT_EQ (p.getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (p.getBus (false, 0)->getName(), "Output");
    EXPECT_EQ (p.getBus (true, 0)->getCurrentLayout(), juce::AudioChannelSet::stereo());
    EXPECT_EQ (p.getBus (false, 0)->getCurrentLayout(), juce::AudioChannelSet::stereo());
    EXPECT_TRUE (p.getBus (true, 0)->isEnabled());
    EXPECT_TRUE (p.getBus (false, 0)->isEnabled());
    EXPECT_FALSE (p.canAddBus (true));
    EXPECT_FALSE (p.canRemoveBus (false));
}

TEST (ProcessorShell, AcceptsOnlyMatchingMonoOrStereo)
{
    using Set = juce::AudioChannelSet;
    struct Case
    {
        Set in, out;
        bool accepted;
    };
    const Case cases[] {
        { Set::mono(), Set::mono(), true },
        { Set::stereo(), Set::stereo(), true },
        { Set::mono(), Set::stereo(), false },
        { Set::stereo(), Set::mono(), false },
        { Set::disabled(), Set::mono(), false },
        { Set::disabled(), Set::stereo(), false },
        { Set::stereo(), Set::disabled(), false },
        { Set::createLCR(), Set::createLCR(), false },
        { Set::create5point1(), Set::create5point1(), false },
        { Set::discreteChannels (2), Set::discreteChannels (2), false },
        { Set::stereo(), Set::discreteChannels (2), false },
    };

    VarnuProcessor p;
    for (const auto& c : cases)
    {
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (c.in);
        layout.outputBuses.add (c.out);
        EXPECT_EQ (p.isBusesLayoutSupported (layout), c.accepted)
            << c.in.getDescription() << " -> " << c.out.getDescription();
    }

    juce::AudioProcessor::BusesLayout noBuses;
    EXPECT_FALSE (p.isBusesLayoutSupported (noBuses));
}

TEST (ProcessorShell, RampLengthsFollowTheSampleRate)
{
    struct Case
    {
        double rate;
        int twentyMs, tenMs;
    };
    const Case cases[] {
        { 11025.0, 220, 110 }, { 22050.0, 441, 220 }, { 44100.0, 882, 441 }, { 48000.0, 960, 480 }, { 96000.0, 1920, 960 },
    };

    VarnuProcessor p;
    VarnuProcessorProbe probe { p };
    for (const auto& c : cases)
    {
        p.prepareToPlay (c.rate, 256);
        SCOPED_TRACE (c.rate);
        EXPECT_EQ (probe.sampleRate(), c.rate);
        EXPECT_EQ (rampLength (probe.inputGain()), c.twentyMs);
        EXPECT_EQ (rampLength (probe.outputGain()), c.twentyMs);
        EXPECT_EQ (rampLength (probe.saturator().drive), c.twentyMs);
        EXPECT_EQ (rampLength (probe.saturator().mix), c.twentyMs);
        EXPECT_EQ (rampLength (probe.compressor().makeup), c.twentyMs);
        EXPECT_EQ (rampLength (probe.compressor().mix), c.twentyMs);
        EXPECT_EQ (rampLength (probe.bypassMix()), c.tenMs);
        EXPECT_EQ (probe.saturator().sampleRate, c.rate);
        EXPECT_EQ (probe.compressor().sampleRate, c.rate);
        EXPECT_EQ (probe.toneEq().sampleRate, c.rate);
    }
}

TEST (ProcessorShell, PrepareSnapsRampsClearsStageMemoriesAndKeepsHighPassMemories)
{
    VarnuProcessor p;
    VarnuProcessorProbe probe { p };
    p.prepareToPlay (48000.0, 512);

    probe.inputGain().setTargetValue (2.0f);
    probe.bypassMix().setTargetValue (1.0f);
    probe.bypassMix().getNextValue();
    probe.saturator().lastDriven[0] = 0.5;
    probe.saturator().lastLogCosh[1] = 0.1;
    probe.saturator().tapeState[0] = 0.2f;
    probe.compressor().envelope = 0.7f;
    probe.compressor().gainReductionDb = 3.0f;
    probe.highPass (0).z1 = 0.25;
    probe.highPass (1).z2 = -0.125;
    p.meterLevels.inputPeak = 0.5f;
    p.analyzerFifo.writeIndex = 77;
    const auto* dryStorage = probe.dryBuffer().getReadPointer (0);

    p.prepareToPlay (48000.0, 512);

    EXPECT_FALSE (probe.inputGain().isSmoothing());
    EXPECT_EQ (probe.inputGain().getCurrentValue(), 2.0f);
    EXPECT_FALSE (probe.bypassMix().isSmoothing());
    EXPECT_EQ (probe.bypassMix().getCurrentValue(), 1.0f);
    EXPECT_EQ (probe.saturator().lastDriven[0], 0.0);
    EXPECT_EQ (probe.saturator().lastLogCosh[1], 0.0);
    EXPECT_EQ (probe.saturator().tapeState[0], 0.0f);
    EXPECT_EQ (probe.compressor().envelope, 0.0f);
    EXPECT_EQ (probe.compressor().gainReductionDb, 0.0f);
    EXPECT_EQ (probe.highPass (0).z1, 0.25);
    EXPECT_EQ (probe.highPass (1).z2, -0.125);
    EXPECT_EQ (p.meterLevels.inputPeak.load(), 0.5f);
    EXPECT_EQ (p.analyzerFifo.writeIndex.load(), 77u);
    EXPECT_EQ (probe.dryBuffer().getReadPointer (0), dryStorage) << "same counts must not reallocate";

    // The first preparation computes the envelope coefficients from the record's initial times.
    EXPECT_FLOAT_EQ (probe.compressor().attackCoeff, std::exp (-1.0f / 480.0f));
    EXPECT_FLOAT_EQ (probe.compressor().releaseCoeff, std::exp (-1.0f / 4800.0f));

    // The high-pass is designed for 20 Hz at the new rate.
    Biquad expected;
    designHighPass (expected, 20.0f, 48000.0);
    EXPECT_EQ (probe.highPass (0).b0, expected.b0);
    EXPECT_EQ (probe.highPass (1).a2, expected.a2);
}

TEST (ProcessorShell, DryBufferFollowsChannelCountAndBlockSize)
{
    VarnuProcessor p;
    VarnuProcessorProbe probe { p };
    p.prepareToPlay (44100.0, 256);
    EXPECT_EQ (probe.dryBuffer().getNumChannels(), 2);
    EXPECT_EQ (probe.dryBuffer().getNumSamples(), 256);

    p.prepareToPlay (44100.0, 1024);
    EXPECT_EQ (probe.dryBuffer().getNumSamples(), 1024);

    juce::AudioProcessor::BusesLayout mono;
    mono.inputBuses.add (juce::AudioChannelSet::mono());
    mono.outputBuses.add (juce::AudioChannelSet::mono());
    ASSERT_TRUE (p.setBusesLayout (mono));
    p.prepareToPlay (44100.0, 1024);
    EXPECT_EQ (probe.dryBuffer().getNumChannels(), 1);
    EXPECT_EQ (probe.toneEq().lowShelf.state->coefficients.size(), 5);
}
