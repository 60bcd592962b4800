#include <gtest/gtest.h>

#include "processor/FactoryPresets.h"
#include "processor/VarnuProcessor.h"
#include "support/TestHelpers.h"

using namespace testing_support;

namespace
{
const char* const presetIds[] { "character", "flavor", "hpf", "tone", "output" };
}

TEST (Presets, TableHoldsSixPresetsInOrder)
{
    struct Row
    {
        const char* name;
        float values[5];
    };
    const Row rows[] {
        { "Vocal \xc2\xb7 Molten Air", { 45, 0, 90, 15, 0 } }, { "Podcast Warm", { 55, 1, 80, -8, 0 } },
        { "Bus Glue", { 30, 1, 20, 0, 0 } },                     { "Drum Iron", { 65, 2, 40, 12, -1 } },
        { "Master Gentle", { 22, 0, 20, 3, 0 } },                { "Full Molten", { 90, 2, 60, -5, -2 } },
    };

    const auto& presets = getFactoryPresets();
    EXPECT_EQ (&presets, &getFactoryPresets());
    ASSERT_EQ (presets.size(), 6u);

    for (size_t i = 0; i < 6; ++i)
    {
        EXPECT_EQ (presets[i].name, juce::String::fromUTF8 (rows[i].name));
        ASSERT_EQ (presets[i].values.size(), 5u);
        for (size_t k = 0; k < 5; ++k)
        {
            EXPECT_EQ (presets[i].values[k].first, presetIds[k]);
            EXPECT_EQ (presets[i].values[k].second, rows[i].values[k]);
        }
    }

    const auto first = presets[0].name;
    EXPECT_EQ (first.length(), 18);
    EXPECT_EQ (first[6], (juce::juce_wchar) 0x00B7);
}

TEST (Presets, ProgramNamesAndBounds)
{
    VarnuProcessor p;
    EXPECT_EQ (p.getNumPrograms(), 6);
    EXPECT_EQ (p.getProgramName (0), juce::String::fromUTF8 ("Vocal \xc2\xb7 Molten Air"));
    EXPECT_EQ (p.getProgramName (5), "Full Molten");
    EXPECT_EQ (p.getProgramName (6), "");
    EXPECT_EQ (p.getProgramName (-1), "");

    p.changeProgramName (0, "Renamed");
    EXPECT_EQ (p.getProgramName (0), juce::String::fromUTF8 ("Vocal \xc2\xb7 Molten Air"));
}

TEST (Presets, FreshInstanceReportsProgramZeroWithoutApplyingIt)
{
    VarnuProcessor p;
    EXPECT_EQ (p.getCurrentProgram(), 0);
    EXPECT_EQ (plainValue (p.apvts, "character"), 40.0f);
    EXPECT_EQ (plainValue (p.apvts, "hpf"), 20.0f);
}

TEST (Presets, SettingAProgramAppliesFiveValuesAndKeepsInputAndBypass)
{
    VarnuProcessor p;
    setPlain (p.apvts, "input", 6.0f);
    setPlain (p.apvts, "bypass", 1.0f);

    p.setCurrentProgram (3);
    EXPECT_EQ (p.getCurrentProgram(), 3);
    EXPECT_FLOAT_EQ (plainValue (p.apvts, "character"), 65.0f);
    EXPECT_EQ (plainValue (p.apvts, "flavor"), 2.0f);
    EXPECT_EQ (plainValue (p.apvts, "hpf"), 40.0f);
    EXPECT_FLOAT_EQ (plainValue (p.apvts, "tone"), 12.0f);
    EXPECT_FLOAT_EQ (plainValue (p.apvts, "output"), -1.0f);
    EXPECT_FLOAT_EQ (plainValue (p.apvts, "input"), 6.0f);
    EXPECT_EQ (plainValue (p.apvts, "bypass"), 1.0f);

    p.setCurrentProgram (0);
    EXPECT_FLOAT_EQ (p.apvts.getParameter ("hpf")->getValue(), 0.5f);
    EXPECT_EQ (plainValue (p.apvts, "hpf"), 90.0f);
}

TEST (Presets, OutOfRangeIndicesChangeNothing)
{
    VarnuProcessor p;
    p.setCurrentProgram (2);
    setPlain (p.apvts, "character", 77.0f);

    for (int index : { -1, 6, 1000, std::numeric_limits<int>::min() })
    {
        p.setCurrentProgram (index);
        EXPECT_EQ (p.getCurrentProgram(), 2);
        EXPECT_FLOAT_EQ (plainValue (p.apvts, "character"), 77.0f);
    }

    // The current program applied again overrides knob changes made since.
    p.setCurrentProgram (2);
    EXPECT_FLOAT_EQ (plainValue (p.apvts, "character"), 30.0f);
}

TEST (Presets, ListenersSeeTheNewIndexAndEveryChange)
{
    struct Listener : juce::AudioProcessorListener
    {
        VarnuProcessor* p = nullptr;
        std::vector<int> programsSeen;
        void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override
        {
            programsSeen.push_back (p->getCurrentProgram());
        }
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
    };

    VarnuProcessor p;
    Listener listener;
    listener.p = &p;
    p.addListener (&listener);
    p.setCurrentProgram (5);
    p.removeListener (&listener);

    EXPECT_EQ (listener.programsSeen, std::vector<int> (5, 5));
}

TEST (Presets, ApplyingIgnoresBadIndicesAndKeepsTheProgramIndex)
{
    VarnuProcessor p;
    applyFactoryPreset (-1, p.apvts);
    applyFactoryPreset (6, p.apvts);
    EXPECT_EQ (plainValue (p.apvts, "character"), 40.0f);

    applyFactoryPreset (1, p.apvts);
    EXPECT_EQ (p.getCurrentProgram(), 0) << "applying a preset does not change the program index";
    EXPECT_EQ (plainValue (p.apvts, "flavor"), 1.0f);
}
