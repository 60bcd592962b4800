#include <gtest/gtest.h>

#include "processor/ParameterLayout.h"
#include "processor/VarnuProcessor.h"
#include "support/TestHelpers.h"

using namespace testing_support;

TEST (Parameters, LayoutOrderNamesAndDefaultTexts)
{
    VarnuProcessor p;
    const auto& params = p.getParameters();
    ASSERT_EQ (params.size(), 7);

    struct Expected
    {
        const char* id;
        const char* name;
        const char* text;
    };
    const Expected expected[] {
        { "character", "Character", "40" }, { "flavor", "Flavor", "Tube" }, { "input", "Input", "0.0 dB" },
        { "hpf", "HPF", "Off" },            { "tone", "Tone", "Flat" },     { "output", "Output", "0.0 dB" },
        { "bypass", "Bypass", "Off" },
    };

    for (int i = 0; i < 7; ++i)
    {
        auto* param = dynamic_cast<juce::RangedAudioParameter*> (params[i]);
        ASSERT_NE (param, nullptr);
        EXPECT_EQ (param->getParameterID(), expected[i].id);
        EXPECT_EQ (param->getName (100), expected[i].name);
        EXPECT_EQ (param->getCurrentValueAsText(), expected[i].text) << expected[i].id;
        EXPECT_EQ (param->getLabel(), "");
        EXPECT_TRUE (param->isAutomatable());
        EXPECT_FALSE (param->isMetaParameter());
        EXPECT_EQ (param->getVersionHint(), 1);
    }
}

TEST (Parameters, RangesAndNormalisedDefaults)
{
    VarnuProcessor p;
    struct Case
    {
        const char* id;
        float start, end, interval, skew, defaultNormalised;
    };
    const Case cases[] {
        { "character", 0.0f, 100.0f, 0.1f, 1.0f, 0.4f }, { "input", -24.0f, 24.0f, 0.01f, 1.0f, 0.5f },
        { "hpf", 20.0f, 300.0f, 1.0f, 0.5f, 0.0f },       { "tone", -100.0f, 100.0f, 0.1f, 1.0f, 0.5f },
        { "output", -24.0f, 12.0f, 0.01f, 1.0f, 2.0f / 3.0f },
    };

    for (const auto& c : cases)
    {
        auto* param = p.apvts.getParameter (c.id);
        ASSERT_NE (param, nullptr);
        const auto& range = param->getNormalisableRange();
        EXPECT_EQ (range.start, c.start) << c.id;
        EXPECT_EQ (range.end, c.end) << c.id;
        EXPECT_FLOAT_EQ (range.interval, c.interval) << c.id;
        EXPECT_EQ (range.skew, c.skew) << c.id;
        EXPECT_FALSE (range.symmetricSkew);
        EXPECT_NEAR (param->getDefaultValue(), c.defaultNormalised, 1e-6) << c.id;
    }

    auto* flavor = dynamic_cast<juce::AudioParameterChoice*> (p.apvts.getParameter ("flavor"));
    ASSERT_NE (flavor, nullptr);
    EXPECT_EQ (flavor->choices, juce::StringArray ({ "Tube", "Tape", "Iron" }));
    EXPECT_NE (dynamic_cast<juce::AudioParameterBool*> (p.apvts.getParameter ("bypass")), nullptr);
}

TEST (Parameters, ValueTexts)
{
    struct Case
    {
        juce::String (*fn) (float, int);
        float value;
        const char* text;
    };
    const Case cases[] {
        { characterValueText, 40.0f, "40" },   { characterValueText, 40.9f, "40" },
        { characterValueText, 99.9f, "99" },   { characterValueText, 100.0f, "100" },
        { gainValueText, 0.0f, "0.0 dB" },     { gainValueText, -24.0f, "-24.0 dB" },
        { gainValueText, -3.5f, "-3.5 dB" },   { gainValueText, 12.0f, "12.0 dB" },
        { gainValueText, 24.0f, "24.0 dB" },   { gainValueText, 0.06f, "0.1 dB" },
        { hpfValueText, 20.0f, "Off" },        { hpfValueText, 21.0f, "Off" },
        { hpfValueText, 22.0f, "22 Hz" },      { hpfValueText, 300.0f, "300 Hz" },
        { toneValueText, 0.5f, "Flat" },       { toneValueText, -0.5f, "Flat" },
        { toneValueText, 0.0f, "Flat" },       { toneValueText, -0.6f, "Dark 0" },
        { toneValueText, 0.7f, "Bright 0" },   { toneValueText, 15.0f, "Bright 15" },
        { toneValueText, -100.0f, "Dark 100" }, { toneValueText, 99.9f, "Bright 99" },
    };

    for (const auto& c : cases)
    {
        EXPECT_EQ (c.fn (c.value, 100), c.text) << c.value;
        EXPECT_EQ (c.fn (c.value, 2), c.text) << "texts are never shortened";
    }
}

TEST (Parameters, HostNormalisedValuesAndTypedText)
{
    VarnuProcessor p;
    auto* hpf = p.apvts.getParameter ("hpf");
    hpf->setValueNotifyingHost (0.5f);
    EXPECT_FLOAT_EQ (plainValue (p.apvts, "hpf"), 90.0f);
    EXPECT_EQ (hpf->getCurrentValueAsText(), "90 Hz");
    EXPECT_EQ (hpf->getText (0.07f, 100), "Off");

    struct Typed
    {
        const char* id;
        const char* text;
        float plain;
    };
    const Typed typed[] {
        { "hpf", "Off", 20.0f },   { "tone", "Dark 30", 0.0f }, { "tone", "Bright 30", 0.0f },
        { "tone", "-30", -30.0f }, { "input", "-6 dB", -6.0f }, { "hpf", "500", 300.0f },
        { "output", "20", 12.0f },
    };
    for (const auto& t : typed)
    {
        auto* param = p.apvts.getParameter (t.id);
        const auto normalised = param->getValueForText (t.text);
        EXPECT_NEAR (param->convertFrom0to1 (normalised), t.plain, 1e-4) << t.id << " '" << t.text << "'";
    }
}
