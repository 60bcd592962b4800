#include "ui/Theme.h"

namespace qel::ui
{
const Theme& theme()
{
    static const Theme instance = []
    {
        Theme t;
        t.background = juce::Colour (0xff0c0c0e);
        t.panel = juce::Colour (0xff141417);
        t.knobFace = juce::Colour (0xff1a1a1e);
        t.track = juce::Colour (0xff26262b);
        t.outline = juce::Colour (0xff34343b);
        t.accent = juce::Colour (0xffe8b24c);
        t.accentLight = juce::Colour (0xfff3d38a);
        t.accentDark = juce::Colour (0xffc9922f);
        t.ember = juce::Colour (0xff8a2f1c);
        t.teal = juce::Colour (0xff37b9a8);
        t.tealLight = juce::Colour (0xff7fe6d6);
        t.text = juce::Colour (0xffeceae6);
        t.textDim = juce::Colour (0xffa6988a);
        t.textFaint = juce::Colour (0xff6f6357);
        t.hot = juce::Colour (0xffff5c4d);
        t.green = juce::Colour (0xff8fcb6e);

        t.cornerRadius = 12.0f;
        t.knobStrokeRatio = 0.16f;
        t.spacing = 6.0f;
        t.titleFontSize = 22.0f;
        t.mediumFontSize = 15.0f;
        t.labelFontSize = 12.0f;
        t.smallFontSize = 11.0f;
        t.captionFontSize = 10.0f;
        return t;
    }();

    return instance;
}

juce::Font sansFont (float height, bool bold)
{
    return juce::Font (juce::FontOptions (height, bold ? juce::Font::bold : juce::Font::plain));
}

juce::Font monoFont (float height)
{
    return juce::Font (juce::FontOptions()
                           .withName (juce::Font::getDefaultMonospacedFontName())
                           .withHeight (height)
                           .withStyle ("Bold"));
}
} // namespace qel::ui
