#include <gtest/gtest.h>

#include "alloc/CountingAllocator.h"
#include "processor/ParameterLayout.h"
#include "processor/VarnuProcessor.h"
#include "support/TestHelpers.h"

#include <cmath>
#include <vector>

using namespace testing_support;

namespace
{
constexpr int preparedSize = 512;

void fill (juce::AudioBuffer<float>& buffer, int numSamples, int block)
{
    for (int c = 0; c < buffer.getNumChannels(); ++c)
        for (int i = 0; i < numSamples; ++i)
            buffer.setSample (c, i, 0.8f * std::sin (0.013f * static_cast<float> (block * preparedSize + i) + static_cast<float> (c)));
}

/** Moves every parameter, as automation would, before block k. */
void automate (VarnuProcessor& p, int k)
{
    setPlain (p.apvts, ParameterIds::character, static_cast<float> ((k * 7) % 101));
    setPlain (p.apvts, ParameterIds::flavor, static_cast<float> ((k / 5) % 3));
    setPlain (p.apvts, ParameterIds::input, static_cast<float> ((k * 3) % 49 - 24));
    setPlain (p.apvts, ParameterIds::hpf, (k / 3) % 2 == 0 ? 20.0f : static_cast<float> (22 + (k * 37) % 400));
    setPlain (p.apvts, ParameterIds::tone, static_cast<float> ((k * 11) % 201 - 100));
    setPlain (p.apvts, ParameterIds::output, static_cast<float> ((k * 5) % 37 - 24));
    setPlain (p.apvts, ParameterIds::bypass, (k / 17) % 2 == 0 ? 0.0f : 1.0f);
}

struct Counts
{
    std::uint64_t allocations = 0, locks = 0;
};

/** Runs blocks of the given sizes (cycled) with automation moving, counting only inside
    processBlock.
*/
Counts runBlocks (VarnuProcessor& p, const std::vector<int>& sizes, int numBlocks)
{
    juce::AudioBuffer<float> buffer (p.getTotalNumOutputChannels(), preparedSize);
    juce::MidiBuffer midi;
    Counts counts;

    for (int k = 0; k < numBlocks; ++k)
    {
        automate (p, k);
        const auto n = sizes[static_cast<size_t> (k) % sizes.size()];
        fill (buffer, n, k);
        juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), buffer.getNumChannels(), n);

        CountingScope scope;
        p.processBlock (block, midi);
        counts.allocations += scope.allocations();
        counts.locks += scope.locks();
    }

    return counts;
}
} // namespace

TEST (RealTime, CountersSeeAllocationsAndLocks)
{
    // Each count is read before any assertion, whose reporting may allocate and lock.
    std::uint64_t vectorAllocations, vectorLocks, sectionAllocations, sectionLocks;
    {
        CountingScope scope;
        std::vector<float> v (100);
        v[99] = 1.0f;
        vectorAllocations = scope.allocations();
        vectorLocks = scope.locks();
    }
    {
        juce::CriticalSection section;
        CountingScope scope;
        section.enter();
        section.exit();
        sectionAllocations = scope.allocations();
        sectionLocks = scope.locks();
    }

    EXPECT_EQ (vectorAllocations, 1u);
    EXPECT_EQ (vectorLocks, 0u);
    EXPECT_EQ (sectionAllocations, 0u);
    EXPECT_EQ (sectionLocks, 1u);
}

TEST (RealTime, SteadyStateBlocksNeitherAllocateNorLock)
{
    for (const auto mono : { false, true })
    {
        SCOPED_TRACE (mono ? "mono" : "stereo");
        VarnuProcessor p;
        if (mono)
        {
            juce::AudioProcessor::BusesLayout layout;
            layout.inputBuses.add (juce::AudioChannelSet::mono());
            layout.outputBuses.add (juce::AudioChannelSet::mono());
            ASSERT_TRUE (p.setBusesLayout (layout));
        }
        p.prepareToPlay (48000.0, preparedSize);

        // The first block at the prepared size may set things up.
        runBlocks (p, { preparedSize }, 1);

        const auto counts = runBlocks (p, { preparedSize, 1, 37, 0, 256, 511, 64 }, 3000);
        EXPECT_EQ (counts.allocations, 0u);
        EXPECT_EQ (counts.locks, 0u);
    }
}

TEST (RealTime, ABlockLongerThanPreparedGrowsTheDryCopyOnce)
{
    VarnuProcessor p;
    p.prepareToPlay (48000.0, 256);
    runBlocks (p, { 256 }, 1);

    juce::AudioBuffer<float> longer (2, 300);
    juce::MidiBuffer midi;
    fill (longer, 300, 0);
    std::uint64_t growing, grown;
    {
        CountingScope scope;
        p.processBlock (longer, midi);
        growing = scope.allocations();
    }
    fill (longer, 300, 1);
    {
        CountingScope scope;
        p.processBlock (longer, midi);
        grown = scope.allocations();
    }

    EXPECT_GT (growing, 0u) << "the counter sees the dry copy growing";
    EXPECT_EQ (grown, 0u) << "and the larger storage is kept";
}
