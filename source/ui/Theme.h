#pragma once

#include <juce_graphics/juce_graphics.h>

namespace qel::ui
{
/** The kit's one fixed palette and its sizes.

    Every kit component and the editor's painting take their colours and sizes from
    theme(); nothing changes it at run time. All colours are opaque ARGB values; the font
    sizes are font heights, not point sizes.
*/
struct Theme
{
    juce::Colour background;  ///< window and combo-box backgrounds, text on a lit button
    juce::Colour panel;       ///< analyser panel, popup menus, buttons
    juce::Colour knobFace;    ///< knob body (drawn brightened)
    juce::Colour track;       ///< knob track, analyser grid, meter track
    juce::Colour outline;     ///< outlines of the knob body and the combo boxes
    juce::Colour accent;      ///< amber accent: value arc, arrow, highlights, output bar
    juce::Colour accentLight; ///< knob pointer, spectrum line
    juce::Colour accentDark;  ///< gain-reduction bar
    juce::Colour ember;       ///< bottom of the spectrum fill
    juce::Colour teal;        ///< input bar
    juce::Colour tealLight;
    juce::Colour text;        ///< main text
    juce::Colour textDim;     ///< knob captions, text of an unlit button
    juce::Colour textFaint;   ///< analyser and meter captions, tagline
    juce::Colour hot;         ///< level bars near full scale
    juce::Colour green;

    float cornerRadius = 0.0f;    ///< corner radius of the analyser panel
    float knobStrokeRatio = 0.0f; ///< width of the knob's arcs as a fraction of its radius
    float spacing = 0.0f;
    float titleFontSize = 0.0f;   ///< height of the editor's title font
    float mediumFontSize = 0.0f;
    float labelFontSize = 0.0f;   ///< height of the knob caption font
    float smallFontSize = 0.0f;
    float captionFontSize = 0.0f; ///< height of the analyser's and meters' caption font
};

/** The process-wide theme: built on the first call (thread-safe), the same object on
    every call, never changed.
*/
const Theme& theme();

/** A new font of the framework's default sans-serif typeface at the given height,
    bold or plain.
*/
juce::Font sansFont (float height, bool bold);

/** A new font of the framework's default monospaced typeface at the given height,
    always bold.
*/
juce::Font monoFont (float height);
} // namespace qel::ui
