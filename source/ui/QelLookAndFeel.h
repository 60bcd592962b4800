#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace qel::ui
{
/** The kit's look-and-feel: the framework's V4 scheme with fourteen colours taken from
    the theme, and the kit's own rotary knob.

    The knob is a thin track arc, an amber value arc with a soft glow, a dark round body
    with a fine outline and a light pointer. It is drawn from the theme alone: neither
    the slider's colours nor this object's colour table affect it.

    Whoever installs it must take it off every component before destroying it.
*/
class QelLookAndFeel : public juce::LookAndFeel_V4
{
public:
    /** Starts from the framework's default colour scheme and applies the theme's colours. */
    QelLookAndFeel();

    /** Writes the theme's colours into the colour table; called once, by the constructor. */
    void applyThemeColours();

    /** Draws the kit's knob in the rotary area, at the slider's proportional position
        between the start and end angles (radians, clockwise from twelve o'clock).
    */
    void drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height,
                           float sliderPosProportional, float rotaryStartAngle,
                           float rotaryEndAngle, juce::Slider& slider) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (QelLookAndFeel)
};
} // namespace qel::ui
