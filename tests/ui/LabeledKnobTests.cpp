#include <gtest/gtest.h>

#include "ui/LabeledKnob.h"
#include "ui/QelLookAndFeel.h"
#include "ui/Theme.h"

namespace
{
/** The least processor that can own a parameter state with two parameters. */
class StateHolder : public juce::AudioProcessor
{
public:
    StateHolder()
        : state (*this, nullptr, "PARAMETERS",
                 { std::make_unique<juce::AudioParameterFloat> (juce::ParameterID { "drive", 1 }, "Drive",
                                                                juce::NormalisableRange<float> (0.0f, 100.0f, 0.1f), 40.0f),
                   std::make_unique<juce::AudioParameterFloat> (juce::ParameterID { "trim", 1 }, "Trim",
                                                                juce::NormalisableRange<float> (-24.0f, 24.0f, 0.01f), 0.0f) })
    {
    }

    const juce::String getName() const override { return "StateHolder"; }
    void prepareToPlay (double, int) override {}
    void releaseResources() override {}
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override {}
    using juce::AudioProcessor::processBlock;
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
    bool hasEditor() const override { return false; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}
    void getStateInformation (juce::MemoryBlock&) override {}
    void setStateInformation (const void*, int) override {}

    float plain (const char* id) { return state.getRawParameterValue (id)->load(); }

    juce::AudioProcessorValueTreeState state;
};

juce::Slider& sliderOf (qel::ui::LabeledKnob& knob)
{
    auto* slider = dynamic_cast<juce::Slider*> (knob.getChildComponent (0));
    jassert (slider != nullptr);
    return *slider;
}

juce::Label& labelOf (qel::ui::LabeledKnob& knob)
{
    auto* label = dynamic_cast<juce::Label*> (knob.getChildComponent (1));
    jassert (label != nullptr);
    return *label;
}

void expectCaptionStyle (juce::Label& label)
{
    const auto& t = qel::ui::theme();
    const auto font = label.getFont();
    EXPECT_EQ (font.getTypefaceName(), juce::Font::getDefaultMonospacedFontName());
    EXPECT_EQ (font.getTypefaceStyle(), "Bold");
    EXPECT_FLOAT_EQ (font.getHeight(), t.labelFontSize);
    EXPECT_EQ (label.findColour (juce::Label::textColourId), t.textDim);
}
} // namespace

TEST (LabeledKnob, BuildsACaptionedRotaryBoundToItsParameter)
{
    StateHolder holder;
    qel::ui::LabeledKnob knob (holder.state, "drive", "DRIVE");

    ASSERT_EQ (knob.getNumChildComponents(), 2);
    auto& slider = sliderOf (knob);
    auto& label = labelOf (knob);
    EXPECT_TRUE (slider.isVisible());
    EXPECT_TRUE (label.isVisible());

    EXPECT_EQ (slider.getSliderStyle(), juce::Slider::RotaryHorizontalVerticalDrag);
    EXPECT_EQ (slider.getTextBoxPosition(), juce::Slider::TextBoxBelow);
    EXPECT_TRUE (slider.isTextBoxEditable());
    EXPECT_EQ (slider.getTextBoxWidth(), 72);
    EXPECT_EQ (slider.getTextBoxHeight(), 16);
    EXPECT_FLOAT_EQ (slider.getRotaryParameters().startAngleRadians, juce::MathConstants<float>::pi * 1.2f);
    EXPECT_FLOAT_EQ (slider.getRotaryParameters().endAngleRadians, juce::MathConstants<float>::pi * 2.8f);

    EXPECT_EQ (label.getText(), "DRIVE");
    EXPECT_EQ (label.getJustificationType(), juce::Justification::centred);
    expectCaptionStyle (label);

    // The attachment gives the slider the parameter's range and value, both ways.
    EXPECT_DOUBLE_EQ (slider.getMinimum(), 0.0);
    EXPECT_DOUBLE_EQ (slider.getMaximum(), 100.0);
    EXPECT_NEAR (slider.getValue(), 40.0, 1e-4);

    slider.setValue (75.0, juce::sendNotificationSync);
    EXPECT_NEAR (holder.plain ("drive"), 75.0f, 1e-4f);

    holder.state.getParameter ("drive")->setValueNotifyingHost (0.1f);
    EXPECT_NEAR (slider.getValue(), 10.0, 1e-4);
    EXPECT_EQ (holder.plain ("trim"), 0.0f);
}

TEST (LabeledKnob, LayoutPutsTheCaptionOnTop)
{
    StateHolder holder;
    qel::ui::LabeledKnob knob (holder.state, "drive", "DRIVE");

    struct Case
    {
        int width, height;
        juce::Rectangle<int> caption, control;
    };
    const Case cases[] {
        { 90, 82, { 0, 0, 90, 16 }, { 0, 16, 90, 66 } },
        { 90, 16, { 0, 0, 90, 16 }, { 0, 16, 90, 0 } },
        { 90, 10, { 0, 0, 90, 10 }, { 0, 10, 90, 0 } },
        { 3, 40, { 0, 0, 3, 16 }, { 0, 16, 3, 24 } },
    };

    for (const auto& c : cases)
    {
        knob.setBounds (7, 9, c.width, c.height);
        EXPECT_EQ (labelOf (knob).getBounds(), c.caption) << c.width << "x" << c.height;
        EXPECT_EQ (sliderOf (knob).getBounds(), c.control) << c.width << "x" << c.height;
    }
}

TEST (LabeledKnob, CaptionStyleSurvivesALookAndFeelChange)
{
    StateHolder holder;
    qel::ui::LabeledKnob knob (holder.state, "drive", "DRIVE");
    auto& label = labelOf (knob);

    // Whatever happened to the caption meanwhile, a new look-and-feel restores it.
    label.setFont (juce::FontOptions (30.0f));
    label.setColour (juce::Label::textColourId, juce::Colours::red);

    qel::ui::QelLookAndFeel laf;
    knob.setLookAndFeel (&laf);
    expectCaptionStyle (label);

    label.setColour (juce::Label::textColourId, juce::Colours::red);
    knob.setLookAndFeel (nullptr);
    expectCaptionStyle (label);
}

TEST (LabeledKnob, ValueBoxTakesTheColoursOfTheParentItJoins)
{
    StateHolder holder;
    qel::ui::QelLookAndFeel laf;
    juce::Component owner;
    owner.setLookAndFeel (&laf);

    // Built before it has a parent, as an editor builds its knobs, then added.
    auto knob = std::make_unique<qel::ui::LabeledKnob> (holder.state, "drive", "DRIVE");
    owner.addAndMakeVisible (*knob);

    const auto valueBox = [&]
    {
        for (auto* child : sliderOf (*knob).getChildren())
            if (auto* label = dynamic_cast<juce::Label*> (child))
                return label;
        return static_cast<juce::Label*> (nullptr);
    };

    ASSERT_NE (valueBox(), nullptr);
    EXPECT_EQ (valueBox()->findColour (juce::Label::textColourId), qel::ui::theme().text);
    EXPECT_EQ (valueBox()->findColour (juce::Label::outlineColourId), juce::Colours::transparentBlack);
    EXPECT_EQ (valueBox()->getText(), "40.0"); // the rebuilt box still shows the bound value
    expectCaptionStyle (labelOf (*knob));

    knob.reset();
    owner.setLookAndFeel (nullptr);
}

TEST (LabeledKnob, UnknownParameterLeavesTheKnobUnbound)
{
    StateHolder holder;
    qel::ui::LabeledKnob knob (holder.state, "missing", "MISSING");
    auto& slider = sliderOf (knob);

    EXPECT_EQ (labelOf (knob).getText(), "MISSING");
    EXPECT_DOUBLE_EQ (slider.getMinimum(), 0.0);
    EXPECT_DOUBLE_EQ (slider.getMaximum(), 10.0);

    slider.setValue (7.5, juce::sendNotificationSync);
    EXPECT_DOUBLE_EQ (slider.getValue(), 7.5);
    EXPECT_FLOAT_EQ (holder.plain ("drive"), 40.0f);
    EXPECT_FLOAT_EQ (holder.plain ("trim"), 0.0f);

    holder.state.getParameter ("drive")->setValueNotifyingHost (0.9f);
    EXPECT_DOUBLE_EQ (slider.getValue(), 7.5);
}
