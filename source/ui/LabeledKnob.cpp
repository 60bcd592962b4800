#include "ui/LabeledKnob.h"

#include "ui/Theme.h"

namespace qel::ui
{
LabeledKnob::LabeledKnob (juce::AudioProcessorValueTreeState& state,
                          const juce::String& parameterId,
                          const juce::String& caption)
{
    slider.setSliderStyle (juce::Slider::RotaryHorizontalVerticalDrag);
    slider.setTextBoxStyle (juce::Slider::TextBoxBelow, false, 72, 16);
    addAndMakeVisible (slider);

    label.setText (caption, juce::dontSendNotification);
    label.setJustificationType (juce::Justification::centred);
    applyCaptionStyle();
    addAndMakeVisible (label);

    // Created last, so the slider is fully set up before it takes the parameter's range.
    attachment = std::make_unique<juce::AudioProcessorValueTreeState::SliderAttachment> (state, parameterId, slider);
}

LabeledKnob::~LabeledKnob() = default;

void LabeledKnob::lookAndFeelChanged()
{
    applyCaptionStyle();
}

void LabeledKnob::resized()
{
    const auto width = getWidth();
    const auto height = getHeight();
    const auto captionHeight = juce::jmin (height, 16);

    label.setBounds (0, 0, width, captionHeight);
    slider.setBounds (0, captionHeight, width, height - captionHeight);
}

void LabeledKnob::parentHierarchyChanged()
{
    // The slider built its value box during construction, while the knob had no parent,
    // and copied the colours of the default look-and-feel into it. Joining a parent whose
    // look-and-feel differs tells the slider nothing, so the box would keep those colours
    // (a grey outline and white text) instead of its owner's.
    sendLookAndFeelChange();
}

void LabeledKnob::applyCaptionStyle()
{
    label.setFont (monoFont (theme().labelFontSize));
    label.setColour (juce::Label::textColourId, theme().textDim);
}
} // namespace qel::ui
