#include "ui/MeterComponent.h"

#include "ui/Theme.h"

#include <juce_audio_basics/juce_audio_basics.h>

namespace qel::ui
{
namespace
{
constexpr float levelFloorDb = -60.0f;
constexpr float gainReductionRangeDb = 18.0f;
constexpr float fallPerTick = 0.2f;
constexpr float hotLevel = 0.92f;
} // namespace

MeterComponent::MeterComponent (MeterLevels& levelsToShow, Mode modeToShow, juce::String captionText)
    : levels (&levelsToShow),
      mode (modeToShow),
      caption (std::move (captionText))
{
    startTimer (33);
}

MeterComponent::~MeterComponent()
{
    stopTimer();
}

void MeterComponent::timerCallback()
{
    float target = 0.0f;

    if (mode == Mode::gainReduction)
    {
        target = levels->gainReduction.load (std::memory_order_relaxed) / gainReductionRangeDb;
    }
    else
    {
        const auto& source = mode == Mode::inputLevel ? levels->inputPeak : levels->outputPeak;
        const auto db = juce::Decibels::gainToDecibels (source.load (std::memory_order_relaxed), levelFloorDb);
        target = (db - levelFloorDb) / -levelFloorDb;
    }

    // Written so that a value that is not a number also lands on an empty bar: one bad
    // reading must not leave the display stuck.
    if (! (target > 0.0f))
        target = 0.0f;
    else if (target > 1.0f)
        target = 1.0f;

    if (target > displayLevel)
        displayLevel = target;
    else
        displayLevel = (target - displayLevel) * fallPerTick + displayLevel;

    repaint();
}

void MeterComponent::paint (juce::Graphics& g)
{
    const auto& t = theme();
    const auto width = getWidth();
    const auto height = getHeight();
    const auto captionHeight = juce::jmin (height, 15);

    g.setColour (t.textFaint);
    g.setFont (monoFont (t.captionFontSize));
    g.drawText (caption,
                juce::Rectangle<float> (0.0f, static_cast<float> (height - captionHeight),
                                        static_cast<float> (width), static_cast<float> (captionHeight)),
                juce::Justification::centred, true);

    const juce::Rectangle<float> bar (2.0f, 2.0f,
                                      static_cast<float> (juce::jmax (0, width - 4)),
                                      static_cast<float> (juce::jmax (0, height - captionHeight - 4)));
    g.setColour (t.track);
    g.fillRoundedRectangle (bar, 3.0f);

    const auto level = displayLevel;
    const auto fillTop = bar.getBottom() - bar.getHeight() * level;
    const juce::Rectangle<float> filled (bar.getX(), fillTop, bar.getWidth(), juce::jmax (0.0f, bar.getBottom() - fillTop));

    auto colour = t.accentDark;
    if (mode != Mode::gainReduction)
        colour = level > hotLevel ? t.hot : (mode == Mode::inputLevel ? t.teal : t.accent);

    g.setColour (colour);
    g.fillRoundedRectangle (filled, 3.0f);
}
} // namespace qel::ui
