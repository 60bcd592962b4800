#include <gtest/gtest.h>

#include "ui/QelLookAndFeel.h"
#include "ui/Theme.h"
#include "UiTestHelpers.h"

#include <cmath>

using ui_testing::coloursMatch;

TEST (LookAndFeel, ColourTableAfterConstruction)
{
    qel::ui::QelLookAndFeel laf;
    const auto& t = qel::ui::theme();

    const std::pair<int, juce::Colour> expected[] {
        { juce::ResizableWindow::backgroundColourId, t.background },
        { juce::Slider::textBoxTextColourId, t.text },
        { juce::Slider::textBoxOutlineColourId, juce::Colour (0x00000000) },
        { juce::Label::textColourId, t.text },
        { juce::ComboBox::backgroundColourId, t.background },
        { juce::ComboBox::textColourId, t.text },
        { juce::ComboBox::outlineColourId, t.outline },
        { juce::ComboBox::arrowColourId, t.accent },
        { juce::PopupMenu::backgroundColourId, t.panel },
        { juce::PopupMenu::highlightedBackgroundColourId, juce::Colour (0x40e8b24c) },
        { juce::TextButton::buttonColourId, t.panel },
        { juce::TextButton::buttonOnColourId, t.accent },
        { juce::TextButton::textColourOffId, t.textDim },
        { juce::TextButton::textColourOnId, t.background },
    };

    for (const auto& [id, colour] : expected)
        EXPECT_EQ (laf.findColour (id).getARGB(), colour.getARGB()) << "colour id 0x" << juce::String::toHexString (id);

    // Everything else keeps the framework's dark scheme.
    juce::LookAndFeel_V4 base;
    for (const auto id : { (int) juce::Slider::rotarySliderFillColourId, (int) juce::Slider::thumbColourId,
                           (int) juce::PopupMenu::textColourId, (int) juce::TextEditor::backgroundColourId })
        EXPECT_EQ (laf.findColour (id).getARGB(), base.findColour (id).getARGB()) << juce::String::toHexString (id);
}

namespace
{
constexpr float startAngle = juce::MathConstants<float>::pi * 1.2f;
constexpr float endAngle = juce::MathConstants<float>::pi * 2.8f;

/** A knob drawn into an image, with the geometry its area implies. */
struct DrawnKnob
{
    juce::Image image;
    float cx, cy, radius, valueAngle;

    /** Colour of the pixel holding the point at a distance (as a fraction of the radius)
        and an angle (clockwise from twelve o'clock) from the knob's centre.
    */
    juce::Colour at (float fractionOfRadius, float angle) const
    {
        const auto distance = fractionOfRadius * radius;
        const auto px = cx + distance * std::sin (angle);
        const auto py = cy - distance * std::cos (angle);
        return image.getPixelAt ((int) std::floor (px), (int) std::floor (py));
    }
};

DrawnKnob drawKnob (juce::Rectangle<int> area, float position, juce::Slider& slider)
{
    juce::Image image (juce::Image::ARGB, area.getRight() + 10, area.getBottom() + 10, true);
    {
        juce::Graphics g (image);
        qel::ui::QelLookAndFeel laf;

        // Colours the look-and-feel table offers for rotary sliders must not matter.
        laf.setColour (juce::Slider::rotarySliderFillColourId, juce::Colours::red);
        laf.drawRotarySlider (g, area.getX(), area.getY(), area.getWidth(), area.getHeight(), position,
                              startAngle, endAngle, slider);
    }

    const auto w = (float) juce::jmax (area.getWidth() - 12, 0);
    const auto h = (float) juce::jmax (area.getHeight() - 12, 0);
    return { image, (float) area.getX() + 6.0f + w / 2.0f, (float) area.getY() + 6.0f + h / 2.0f,
             juce::jmin (w, h) / 2.0f, startAngle + position * (endAngle - startAngle) };
}
} // namespace

TEST (LookAndFeel, KnobGeometryAndColours)
{
    const auto& t = qel::ui::theme();
    const auto body = juce::Colour (46, 46, 50);
    const auto transparent = juce::Colour (0x00000000);

    juce::Slider slider;
    slider.setColour (juce::Slider::rotarySliderFillColourId, juce::Colours::blue);
    slider.setColour (juce::Slider::rotarySliderOutlineColourId, juce::Colours::green);
    slider.setColour (juce::Slider::thumbColourId, juce::Colours::magenta);

    const juce::Rectangle<int> areas[] {
        { 0, 0, 112, 112 },  // square: radius 50
        { 10, 4, 212, 112 }, // wide: centred horizontally
        { 3, 5, 90, 160 },   // tall: radius from the width, centred vertically
    };

    for (const auto& area : areas)
    {
        for (const auto p : { 0.0f, 0.5f, 1.0f })
        {
            SCOPED_TRACE (area.toString() + " p=" + juce::String (p));
            const auto knob = drawKnob (area, p, slider);
            const auto a = knob.valueAngle;

            // The pointer lies on the radius through the value angle; the body is opposite.
            EXPECT_TRUE (coloursMatch (knob.at (0.46f, a), t.accentLight));
            EXPECT_TRUE (coloursMatch (knob.at (0.46f, a + juce::MathConstants<float>::pi), body));
            EXPECT_TRUE (coloursMatch (knob.at (0.0f, 0.0f), body));

            if (p > 0.0f)
            {
                // Value arc from the start angle, with its glow just outside the track band.
                const auto mid = (startAngle + a) / 2.0f;
                EXPECT_TRUE (coloursMatch (knob.at (0.92f, mid), t.accent));
                EXPECT_TRUE (coloursMatch (knob.at (1.04f, mid), t.accent.withAlpha ((juce::uint8) 0x40), 3));
            }

            if (p < 1.0f)
            {
                const auto rest = (a + endAngle) / 2.0f;
                EXPECT_TRUE (coloursMatch (knob.at (0.92f, rest), t.track));
                EXPECT_TRUE (coloursMatch (knob.at (1.04f, rest), transparent));
            }

            // Nothing in the gap at six o'clock, nothing beyond the glow.
            EXPECT_TRUE (coloursMatch (knob.at (0.92f, juce::MathConstants<float>::pi), transparent));
            EXPECT_TRUE (coloursMatch (knob.at (1.15f, a), transparent));
            EXPECT_TRUE (coloursMatch (knob.at (1.15f, startAngle), transparent));
        }
    }
}

TEST (LookAndFeel, KnobInATinyAreaDrawsNothingBeyondItsCentre)
{
    juce::Slider slider;

    for (const auto& area : { juce::Rectangle<int> (20, 20, 12, 12), juce::Rectangle<int> (20, 20, 8, 30),
                              juce::Rectangle<int> (20, 20, 0, 0) })
    {
        SCOPED_TRACE (area.toString());
        const auto knob = drawKnob (area, 0.5f, slider);
        EXPECT_EQ (knob.radius, 0.0f);

        for (int y = 0; y < knob.image.getHeight(); ++y)
        {
            for (int x = 0; x < knob.image.getWidth(); ++x)
            {
                if (std::hypot ((float) x + 0.5f - knob.cx, (float) y + 0.5f - knob.cy) > 2.5f)
                {
                    ASSERT_EQ (knob.image.getPixelAt (x, y).getAlpha(), 0) << x << "," << y;
                }
            }
        }
    }
}
