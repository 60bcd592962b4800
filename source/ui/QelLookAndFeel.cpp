#include "ui/QelLookAndFeel.h"

#include "ui/Theme.h"

namespace qel::ui
{
QelLookAndFeel::QelLookAndFeel()
{
    applyThemeColours();
}

void QelLookAndFeel::applyThemeColours()
{
    const auto& t = theme();

    setColour (juce::ResizableWindow::backgroundColourId, t.background);
    setColour (juce::Slider::textBoxTextColourId, t.text);
    setColour (juce::Slider::textBoxOutlineColourId, juce::Colours::transparentBlack);
    setColour (juce::Label::textColourId, t.text);
    setColour (juce::ComboBox::backgroundColourId, t.background);
    setColour (juce::ComboBox::textColourId, t.text);
    setColour (juce::ComboBox::outlineColourId, t.outline);
    setColour (juce::ComboBox::arrowColourId, t.accent);
    setColour (juce::PopupMenu::backgroundColourId, t.panel);
    setColour (juce::PopupMenu::highlightedBackgroundColourId, t.accent.withAlpha (0.25f));
    setColour (juce::TextButton::buttonColourId, t.panel);
    setColour (juce::TextButton::buttonOnColourId, t.accent);
    setColour (juce::TextButton::textColourOffId, t.textDim);
    setColour (juce::TextButton::textColourOnId, t.background);
}

void QelLookAndFeel::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height,
                                       float sliderPosProportional, float rotaryStartAngle,
                                       float rotaryEndAngle, juce::Slider&)
{
    const auto& t = theme();

    // Knob area: the rotary area less a 6-pixel margin, never negative.
    const auto left = static_cast<float> (x) + 6.0f;
    const auto top = static_cast<float> (y) + 6.0f;
    const auto w = juce::jmax (static_cast<float> (width) - 12.0f, 0.0f);
    const auto h = juce::jmax (static_cast<float> (height) - 12.0f, 0.0f);

    const auto radius = juce::jmin (w, h) / 2.0f;
    const auto cx = left + w / 2.0f;
    const auto cy = top + h / 2.0f;
    const auto angle = rotaryStartAngle + sliderPosProportional * (rotaryEndAngle - rotaryStartAngle);

    const auto stroke = radius * t.knobStrokeRatio;
    const auto arcRadius = radius - stroke / 2.0f;

    const auto strokeOf = [] (float thickness)
    {
        return juce::PathStrokeType (thickness, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);
    };

    juce::Path trackArc;
    trackArc.addCentredArc (cx, cy, arcRadius, arcRadius, 0.0f, rotaryStartAngle, rotaryEndAngle, true);
    g.setColour (t.track);
    g.strokePath (trackArc, strokeOf (stroke));

    juce::Path valueArc;
    valueArc.addCentredArc (cx, cy, arcRadius, arcRadius, 0.0f, rotaryStartAngle, angle, true);
    g.setColour (t.accent.withAlpha (0.25f));
    g.strokePath (valueArc, strokeOf (2.0f * stroke));
    g.setColour (t.accent);
    g.strokePath (valueArc, strokeOf (stroke));

    const auto bodyRadius = radius - 1.7f * stroke;
    const juce::Rectangle<float> body (cx - bodyRadius, cy - bodyRadius, 2.0f * bodyRadius, 2.0f * bodyRadius);
    g.setColour (t.knobFace.brighter (0.1f));
    g.fillEllipse (body);
    g.setColour (t.outline);
    g.drawEllipse (body, 1.0f);

    // The pointer is built upright above the origin, then turned to the value angle.
    const auto pointerLength = 0.88f * bodyRadius;
    const auto halfWidth = 0.32f * stroke;
    juce::Path pointer;
    pointer.addRoundedRectangle (-halfWidth, -pointerLength, 2.0f * halfWidth, 0.55f * pointerLength,
                                 halfWidth, halfWidth, true, true, true, true);
    pointer.applyTransform (juce::AffineTransform::rotation (angle).translated (cx, cy));
    g.setColour (t.accentLight);
    g.fillPath (pointer);
}
} // namespace qel::ui
