#include <gtest/gtest.h>

#include "ui/Theme.h"

using qel::ui::Theme;
using qel::ui::theme;

TEST (Theme, OneRecordWithThePalette)
{
    const auto& t = theme();
    EXPECT_EQ (&t, &theme());

    const std::pair<juce::Colour Theme::*, juce::uint32> colours[] {
        { &Theme::background, 0xff0c0c0e }, { &Theme::panel, 0xff141417 },     { &Theme::knobFace, 0xff1a1a1e },
        { &Theme::track, 0xff26262b },      { &Theme::outline, 0xff34343b },   { &Theme::accent, 0xffe8b24c },
        { &Theme::accentLight, 0xfff3d38a }, { &Theme::accentDark, 0xffc9922f }, { &Theme::ember, 0xff8a2f1c },
        { &Theme::teal, 0xff37b9a8 },       { &Theme::tealLight, 0xff7fe6d6 }, { &Theme::text, 0xffeceae6 },
        { &Theme::textDim, 0xffa6988a },    { &Theme::textFaint, 0xff6f6357 }, { &Theme::hot, 0xffff5c4d },
        { &Theme::green, 0xff8fcb6e },
    };

    for (const auto& [field, argb] : colours)
        EXPECT_EQ ((t.*field).getARGB(), argb) << juce::String::toHexString ((int) argb);

    const std::pair<float Theme::*, float> sizes[] {
        { &Theme::cornerRadius, 12.0f },  { &Theme::knobStrokeRatio, 0.16f }, { &Theme::spacing, 6.0f },
        { &Theme::titleFontSize, 22.0f }, { &Theme::mediumFontSize, 15.0f }, { &Theme::labelFontSize, 12.0f },
        { &Theme::smallFontSize, 11.0f }, { &Theme::captionFontSize, 10.0f },
    };

    for (const auto& [field, value] : sizes)
        EXPECT_EQ (t.*field, value);
}

TEST (Theme, FontsUseTheDefaultTypefacesWithNothingElseChanged)
{
    struct Case
    {
        juce::Font font;
        juce::String name;
        float height;
        juce::String style;
    };
    const Case cases[] {
        { qel::ui::sansFont (22.0f, true), juce::Font::getDefaultSansSerifFontName(), 22.0f, "Bold" },
        { qel::ui::sansFont (11.0f, false), juce::Font::getDefaultSansSerifFontName(), 11.0f, "Regular" },
        { qel::ui::monoFont (10.0f), juce::Font::getDefaultMonospacedFontName(), 10.0f, "Bold" },
        { qel::ui::monoFont (12.0f), juce::Font::getDefaultMonospacedFontName(), 12.0f, "Bold" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name + " " + juce::String (c.height) + " " + c.style);
        EXPECT_EQ (c.font.getTypefaceName(), c.name);
        EXPECT_EQ (c.font.getTypefaceStyle(), c.style);
        EXPECT_FLOAT_EQ (c.font.getHeight(), c.height);
        EXPECT_EQ (c.font.isBold(), c.style == "Bold");
        EXPECT_FALSE (c.font.isItalic());
        EXPECT_FALSE (c.font.isUnderlined());
        EXPECT_EQ (c.font.getMetricsKind(), juce::FontOptions().getMetricsKind());
        EXPECT_EQ (c.font.getHorizontalScale(), 1.0f);
        EXPECT_EQ (c.font.getExtraKerningFactor(), 0.0f);
        EXPECT_TRUE (c.font.getFallbackEnabled());
    }
}
