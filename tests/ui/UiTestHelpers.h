#pragma once

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cmath>

namespace ui_testing
{
/** Paints a component into a fresh transparent image of its own size. */
inline juce::Image paintToImage (juce::Component& component)
{
    juce::Image image (juce::Image::ARGB, juce::jmax (1, component.getWidth()), juce::jmax (1, component.getHeight()), true);
    juce::Graphics g (image);
    component.paintEntireComponent (g, false);
    return image;
}

/** True when two colours differ by at most the tolerance in every channel. */
inline ::testing::AssertionResult coloursMatch (juce::Colour actual, juce::Colour expected, int tolerance = 1)
{
    const auto close = [tolerance] (int a, int b) { return std::abs (a - b) <= tolerance; };

    if (close (actual.getAlpha(), expected.getAlpha()) && close (actual.getRed(), expected.getRed())
        && close (actual.getGreen(), expected.getGreen()) && close (actual.getBlue(), expected.getBlue()))
        return ::testing::AssertionSuccess();

    return ::testing::AssertionFailure() << "got " << actual.toDisplayString (true) << ", expected "
                                         << expected.toDisplayString (true);
}
} // namespace ui_testing
