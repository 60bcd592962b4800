// Feeds arbitrary bytes to setStateInformation and checks what a restore may do:
//  - bytes that do not read as a valid tree change nothing at all;
//  - after any restore every parameter holds a finite value inside its range, and every
//    parameter the tree does not name keeps the value it had;
//  - what is saved afterwards restores to exactly the same bytes.
// Crashes, reads out of bounds and runaway allocations are the sanitizers' and the
// fuzzer's to catch.
#include "FuzzTarget.h"
#include "SeedStates.h"

#include "processor/StateReader.h"
#include "processor/VarnuProcessor.h"
#include "support/TestHelpers.h"

#include <juce_events/juce_events.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

using testing_support::saveState;

namespace
{
[[noreturn]] void fail (const char* what, const juce::String& detail = {})
{
    std::fprintf (stderr, "state fuzz: %s %s\n", what, detail.toRawUTF8());
    std::abort();
}

void restore (VarnuProcessor& processor, const juce::MemoryBlock& block)
{
    processor.setStateInformation (block.getData(), static_cast<int> (block.getSize()));
}

struct Harness
{
    Harness()
    {
        juce::MessageManager::getInstance();
        processor = std::make_unique<VarnuProcessor>();
        baseline = makeBaselineState();
        restore (*processor, baseline);

        if (saveState (*processor) != baseline)
            fail ("the baseline state does not round-trip");
    }

    std::unique_ptr<VarnuProcessor> processor;
    juce::MemoryBlock baseline;
};

Harness& harness()
{
    // Never destroyed: the fuzzer may exit from any input.
    static auto* instance = new Harness();
    return *instance;
}

juce::String describe (const juce::MemoryBlock& state)
{
    return readValueTreeSafely (state.getData(), state.getSize()).toXmlString();
}

std::vector<float> normalisedValues (VarnuProcessor& processor)
{
    std::vector<float> values;

    for (auto* parameter : processor.getParameters())
        values.push_back (parameter->getValue());

    return values;
}

void checkRestore (VarnuProcessor& processor, const juce::ValueTree& tree, const std::vector<float>& before)
{
    const auto& parameters = processor.getParameters();

    for (int i = 0; i < parameters.size(); ++i)
    {
        auto* parameter = dynamic_cast<juce::RangedAudioParameter*> (parameters[i]);

        if (parameter == nullptr)
            continue;

        const auto& id = parameter->getParameterID();
        const auto normalised = parameter->getValue();
        const auto plain = processor.apvts.getRawParameterValue (id)->load();
        const auto& range = parameter->getNormalisableRange();

        if (! std::isfinite (normalised) || normalised < 0.0f || normalised > 1.0f)
            fail ("normalised value not finite or outside 0..1:", id + " = " + juce::String (normalised));

        if (! std::isfinite (plain) || plain < range.start || plain > range.end)
            fail ("plain value not finite or outside its range:", id + " = " + juce::String (plain));

        if (! tree.getChildWithProperty ("id", id).isValid() && ! juce::exactlyEqual (normalised, before[static_cast<size_t> (i)]))
            fail ("a parameter the state does not name changed:", id);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    auto& h = harness();
    auto& processor = *h.processor;

    restore (processor, h.baseline);
    const auto before = normalisedValues (processor);

    processor.setStateInformation (data, static_cast<int> (size));
    const auto after = saveState (processor);
    const auto tree = readValueTreeSafely (data, size);

    if (! tree.isValid())
    {
        if (after != h.baseline)
            fail ("bytes that hold no valid tree changed the state");

        return 0;
    }

    checkRestore (processor, tree, before);

    const auto values = normalisedValues (processor);
    restore (processor, after);

    if (const auto again = saveState (processor); again != after)
        fail ("a saved state does not restore to the same bytes:", describe (after) + "\nrestores as\n" + describe (again));

    if (normalisedValues (processor) != values)
        fail ("a saved state does not restore to the same values");

    return 0;
}
