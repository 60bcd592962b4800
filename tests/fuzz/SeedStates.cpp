#include "SeedStates.h"

#include "processor/VarnuProcessor.h"
#include "support/TestHelpers.h"

using namespace testing_support;

namespace
{
juce::ValueTree param (const char* id, const juce::var& value)
{
    return juce::ValueTree ("PARAM", { { "id", id }, { "value", value } });
}
} // namespace

juce::MemoryBlock makeBaselineState()
{
    VarnuProcessor processor;
    processor.setCurrentProgram (3);
    setPlain (processor.apvts, "input", -3.5f);
    setPlain (processor.apvts, "bypass", 1.0f);
    return saveState (processor);
}

std::vector<juce::MemoryBlock> makeSeedStates()
{
    std::vector<juce::MemoryBlock> seeds;

    {
        VarnuProcessor fresh;
        seeds.push_back (saveState (fresh));
    }

    for (int program = 0; program < 6; ++program)
    {
        VarnuProcessor processor;
        processor.setCurrentProgram (program);
        seeds.push_back (saveState (processor));
    }

    juce::Random random (20240611);

    for (int i = 0; i < 3; ++i)
    {
        VarnuProcessor processor;

        for (auto* parameter : processor.getParameters())
            parameter->setValueNotifyingHost (random.nextFloat());

        seeds.push_back (saveState (processor));
    }

    seeds.push_back (makeBaselineState());

    // Only some parameters, one of them out of range and one given as text.
    seeds.push_back (streamOf (juce::ValueTree ("PARAMETERS", {},
                                                { param ("input", 6.5), param ("hpf", 500.0), param ("tone", "-30") })));

    // Another type, unknown properties and children, and every kind of value the stream holds.
    juce::Array<juce::var> nested { 1, juce::int64 (1) << 40, true, false, 0.25, "text",
                                    juce::var (juce::Array<juce::var> { 2, "deeper" }) };
    juce::MemoryBlock binary ("\x01\x02\x00\xff", 4);
    juce::ValueTree odd ("SOMETHING", { { "number", 7 }, { "big", juce::int64 (-5) }, { "flag", true },
                                        { "list", juce::var (nested) }, { "blob", juce::var (binary) } },
                         { param ("character", 99.9), param ("flavor", 7), juce::ValueTree ("EXTRA", { { "id", 3 } }) });
    seeds.push_back (streamOf (odd));

    return seeds;
}
