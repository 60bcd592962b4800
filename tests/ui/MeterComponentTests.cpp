#include <gtest/gtest.h>

#include "ui/MeterComponent.h"
#include "ui/Theme.h"
#include "UiTestHelpers.h"

#include <limits>
#include <vector>

namespace qel::ui
{
struct MeterComponentProbe
{
    static void tick (MeterComponent& m) { m.timerCallback(); }
    static float displayLevel (const MeterComponent& m) { return m.displayLevel; }
    static bool timerRunsEvery33ms (MeterComponent& m) { return m.isTimerRunning() && m.getTimerInterval() == 33; }
};
} // namespace qel::ui

using qel::ui::MeterComponent;
using Mode = MeterComponent::Mode;
using Probe = qel::ui::MeterComponentProbe;
using ui_testing::coloursMatch;

namespace
{
constexpr float notANumber = std::numeric_limits<float>::quiet_NaN();

/** Stores a reading in the value the mode reads and puts garbage in the other two. */
void store (MeterLevels& levels, Mode mode, float value)
{
    levels.inputPeak.store (mode == Mode::inputLevel ? value : 0.77f);
    levels.outputPeak.store (mode == Mode::outputLevel ? value : 0.66f);
    levels.gainReduction.store (mode == Mode::gainReduction ? value : 11.0f);
}

/** Feeds one reading per tick and returns the display level after each. */
std::vector<float> run (MeterComponent& meter, MeterLevels& levels, Mode mode, const std::vector<float>& readings)
{
    std::vector<float> shown;

    for (auto r : readings)
    {
        store (levels, mode, r);
        Probe::tick (meter);
        shown.push_back (Probe::displayLevel (meter));
    }

    return shown;
}
} // namespace

TEST (MeterComponent, TargetsAndColours)
{
    const auto& t = qel::ui::theme();
    struct Case
    {
        Mode mode;
        std::vector<float> readings;
        float level;
        juce::Colour colour; // at the bottom of the bar
    };
    const Case cases[] {
        { Mode::inputLevel, { 1.0f }, 1.0f, t.hot },
        { Mode::outputLevel, { 2.0f }, 1.0f, t.hot },
        { Mode::inputLevel, { 0.5f }, 0.89966f, t.teal },
        { Mode::outputLevel, { 0.5f }, 0.89966f, t.accent },
        { Mode::inputLevel, { 0.5755f }, 0.92002f, t.hot },
        { Mode::inputLevel, { 0.5753f }, 0.91996f, t.teal },
        { Mode::outputLevel, { 0.5753f }, 0.91996f, t.accent },
        { Mode::outputLevel, { 1.0f, 0.5f }, 0.97993f, t.hot }, // the smoothed level decides, not the target
        { Mode::inputLevel, { 0.001f }, 0.0f, t.track },
        { Mode::inputLevel, { 0.00001f }, 0.0f, t.track },
        { Mode::outputLevel, { 0.0f }, 0.0f, t.track },
        { Mode::inputLevel, { -0.5f }, 0.0f, t.track },
        { Mode::inputLevel, { notANumber }, 0.0f, t.track },
        { Mode::gainReduction, { 9.0f }, 0.5f, t.accentDark },
        { Mode::gainReduction, { 18.0f }, 1.0f, t.accentDark },
        { Mode::gainReduction, { 30.0f }, 1.0f, t.accentDark },
        { Mode::gainReduction, { -3.0f }, 0.0f, t.track },
        { Mode::gainReduction, { notANumber }, 0.0f, t.track },
        { Mode::gainReduction, { 18.0f, notANumber }, 0.8f, t.accentDark },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE ("mode " + juce::String ((int) c.mode) + ", last reading " + juce::String (c.readings.back()));
        MeterLevels levels;
        MeterComponent meter (levels, c.mode, "M");
        meter.setSize (20, 115);

        run (meter, levels, c.mode, c.readings);
        EXPECT_NEAR (Probe::displayLevel (meter), c.level, 2e-5f);

        const auto image = ui_testing::paintToImage (meter);
        EXPECT_TRUE (coloursMatch (image.getPixelAt (10, 96), c.colour));
    }
}

TEST (MeterComponent, RisesAtOnceAndFallsAFifthPerTick)
{
    struct Case
    {
        Mode mode;
        std::vector<float> readings, shown;
    };
    const Case cases[] {
        { Mode::inputLevel, { 1.0f, 0.0f, 0.0f, 0.0f, 0.0f }, { 1.0f, 0.8f, 0.64f, 0.512f, 0.4096f } },
        { Mode::gainReduction, { 18.0f, 9.0f, 9.0f, 9.0f }, { 1.0f, 0.9f, 0.82f, 0.756f } },
        { Mode::gainReduction, { 12.6f }, { 0.7f } },
        { Mode::gainReduction, { 18.0f, 0.0f, 9.0f, 18.0f, 18.0f }, { 1.0f, 0.8f, 0.74f, 1.0f, 1.0f } },
    };

    for (const auto& c : cases)
    {
        MeterLevels levels;
        MeterComponent meter (levels, c.mode, "M");
        EXPECT_TRUE (Probe::timerRunsEvery33ms (meter));

        const auto shown = run (meter, levels, c.mode, c.readings);
        for (size_t i = 0; i < shown.size(); ++i)
            EXPECT_NEAR (shown[i], c.shown[i], 1e-5f) << "mode " << (int) c.mode << ", tick " << i;
    }
}

TEST (MeterComponent, BarAboveTheCaptionFillsFromTheBottom)
{
    const auto& t = qel::ui::theme();
    MeterLevels levels;
    MeterComponent meter (levels, Mode::gainReduction, "GR");
    meter.setSize (20, 115);
    run (meter, levels, Mode::gainReduction, { 9.0f }); // half a bar: filled from y = 50 to 98

    const auto image = ui_testing::paintToImage (meter);
    EXPECT_TRUE (coloursMatch (image.getPixelAt (10, 60), t.accentDark));
    EXPECT_TRUE (coloursMatch (image.getPixelAt (10, 40), t.track));
    EXPECT_TRUE (coloursMatch (image.getPixelAt (10, 0), juce::Colour (0x00000000)));  // margin above
    EXPECT_TRUE (coloursMatch (image.getPixelAt (0, 60), juce::Colour (0x00000000)));  // margin beside
    EXPECT_TRUE (coloursMatch (image.getPixelAt (10, 99), juce::Colour (0x00000000))); // gap under the bar

    // The caption lies in the bottom 15 rows and nowhere else.
    int captionPixels = 0;
    for (int y = 100; y < 115; ++y)
        for (int x = 0; x < 20; ++x)
            captionPixels += image.getPixelAt (x, y).getAlpha() > 0 ? 1 : 0;
    EXPECT_GT (captionPixels, 0);

    // Too small for its parts: zero-sized rectangles, nothing drawn outside.
    for (const auto& size : { juce::Point<int> (20, 10), juce::Point<int> (3, 60), juce::Point<int> (0, 0) })
    {
        meter.setSize (size.x, size.y);
        ui_testing::paintToImage (meter);
    }
}
