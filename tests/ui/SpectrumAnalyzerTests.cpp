#include <gtest/gtest.h>

#include "ui/SpectrumAnalyzer.h"
#include "ui/Theme.h"
#include "UiTestHelpers.h"

#include <cmath>
#include <limits>

namespace qel::ui
{
struct SpectrumAnalyzerProbe
{
    static void tick (SpectrumAnalyzer& a) { a.timerCallback(); }
    static auto& bins (SpectrumAnalyzer& a) { return a.smoothedBins; }
    static bool timerRunsEvery33ms (SpectrumAnalyzer& a) { return a.isTimerRunning() && a.getTimerInterval() == 33; }
};
} // namespace qel::ui

using qel::ui::SpectrumAnalyzer;
using Probe = qel::ui::SpectrumAnalyzerProbe;
using ui_testing::coloursMatch;

namespace
{
/** Writes samples the way the processor does: at the slot of the count, then counts on. */
void writeSine (AnalyzerFifo& fifo, std::uint32_t firstIndex, int count, float amplitude, double bin)
{
    fifo.writeIndex.store (firstIndex);

    for (int n = 0; n < count; ++n)
    {
        const auto w = fifo.writeIndex.load();
        const auto phase = juce::MathConstants<double>::twoPi * bin * (double) n / SpectrumAnalyzer::fftSize;
        fifo.samples[w & (AnalyzerFifo::size - 1)].store (amplitude * (float) std::sin (phase));
        fifo.writeIndex.store (w + 1);
    }
}

void tick (SpectrumAnalyzer& analyzer, int times)
{
    for (int i = 0; i < times; ++i)
        Probe::tick (analyzer);
}
} // namespace

TEST (SpectrumAnalyzer, SilenceDecaysEveryBinByTheSameFactor)
{
    AnalyzerFifo fifo;
    SpectrumAnalyzer analyzer (fifo);
    EXPECT_TRUE (Probe::timerRunsEvery33ms (analyzer));

    auto& bins = Probe::bins (analyzer);
    for (auto b : bins)
        ASSERT_EQ (b, 0.0f);

    bins.fill (1.0f);
    tick (analyzer, 1);
    for (int k : { 0, 1, 500, 1023 })
        EXPECT_NEAR (bins[(size_t) k], 0.65f, 1e-6f) << k;

    tick (analyzer, 4);
    for (int k : { 0, 1, 500, 1023 })
        EXPECT_NEAR (bins[(size_t) k], std::pow (0.65f, 5.0f), 1e-5f) << k;
}

TEST (SpectrumAnalyzer, BinCentredSineAcrossTheRing)
{
    constexpr int sineBin = 64;
    const auto fullLevel = (90.0f + 20.0f * std::log10 (0.5f)) / 90.0f; // magnitude 1/2, about 0.933
    const auto halfLevel = (90.0f + 20.0f * std::log10 (0.25f)) / 90.0f; // half a window of signal

    struct Case
    {
        const char* what;
        std::uint32_t firstIndex;
        int count;
        float amplitude, level;
        bool wholeWindow = true;
        double toneBin = sineBin;
    };
    const Case cases[] {
        { "one window", 0, 2048, 1.0f, fullLevel },
        { "ring lapped", 0, 10000, 1.0f, fullLevel },
        { "count passes 2^32", 0xffffffffu - 1999u, 2100, 1.0f, fullLevel },
        { "count passes 2^32 long ago", 0xffffffffu - 99u, 6000, 1.0f, fullLevel },
        { "only half a window written", 0, 1024, 1.0f, halfLevel, false },
        { "above full scale", 0, 2048, 8.0f, 1.0f },
        // Half-way between bins 64 and 65: the Hann window loses 1.42 dB at the centre and
        // keeps the skirts low (a plain rectangular cut would leak above -70 dB at bin 300).
        { "between two bins", 0, 2048, 1.0f, (90.0f + 20.0f * std::log10 (0.42448f)) / 90.0f, true, 64.5 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        AnalyzerFifo fifo;
        writeSine (fifo, c.firstIndex, c.count, c.amplitude, c.toneBin);
        SpectrumAnalyzer analyzer (fifo);
        const auto& bins = Probe::bins (analyzer);

        tick (analyzer, 1);
        EXPECT_NEAR (bins[sineBin], c.level * 0.35f, 2e-3f);

        tick (analyzer, 9);
        EXPECT_NEAR (bins[sineBin], c.level * (1.0f - std::pow (0.65f, 10.0f)), 2e-3f);

        // Far from the tone the window's leakage is below the -90 dB floor (a half-filled
        // window has a hard edge and leaks).
        if (c.wholeWindow)
        {
            for (int k : { 0, 300, 1023 })
                EXPECT_LT (bins[(size_t) k], 0.01f) << k;
        }
    }
}

TEST (SpectrumAnalyzer, NonFiniteSamplesStayWithinTheDisplayRange)
{
    for (const auto bad : { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity() })
    {
        AnalyzerFifo fifo;
        writeSine (fifo, 0, 2048, 1.0f, 64);
        fifo.samples[1000].store (bad);
        SpectrumAnalyzer analyzer (fifo);

        tick (analyzer, 3);
        for (auto b : Probe::bins (analyzer))
            ASSERT_TRUE (b >= 0.0f && b <= 1.0f) << b;
    }
}

TEST (SpectrumAnalyzer, PaintsPanelGridAndALogFrequencyAxis)
{
    const auto& t = qel::ui::theme();
    AnalyzerFifo fifo;
    SpectrumAnalyzer analyzer (fifo);
    analyzer.setSize (716, 150);

    {
        const auto image = ui_testing::paintToImage (analyzer);
        EXPECT_EQ (image.getPixelAt (0, 0).getAlpha(), 0); // rounded corner
        EXPECT_TRUE (coloursMatch (image.getPixelAt (300, 50), t.panel));
        EXPECT_TRUE (coloursMatch (image.getPixelAt (300, 120), t.panel)); // empty plot, no fill

        const auto grid = t.panel.overlaidWith (t.track.withAlpha (0.6f));
        for (int row : { 37, 75, 112 })
        {
            EXPECT_TRUE (coloursMatch (image.getPixelAt (300, row), grid, 2)) << row;
            EXPECT_TRUE (coloursMatch (image.getPixelAt (300, row - 1), t.panel)) << row;
            EXPECT_TRUE (coloursMatch (image.getPixelAt (3, row), t.panel)) << row;
        }
    }

    // Bins 40..45 (937.5 Hz to 1055 Hz) at full level: a peak where 1 kHz lies on a log
    // axis from 20 Hz to 20 kHz across the plot (x = 8 to 708).
    auto& bins = Probe::bins (analyzer);
    for (int k = 40; k <= 45; ++k)
        bins[(size_t) k] = 1.0f;

    const auto image = ui_testing::paintToImage (analyzer);
    const auto xOf = [] (double hz) { return 8.0 + 700.0 * std::log10 (hz / 20.0) / 3.0; };
    int firstLit = -1, lastLit = -1;

    for (int x = 8; x < 708; ++x)
    {
        if (! coloursMatch (image.getPixelAt (x, 20), t.panel))
        {
            if (firstLit < 0)
                firstLit = x;
            lastLit = x;
        }
    }

    EXPECT_GE (firstLit, (int) xOf (39 * 23.4375));
    EXPECT_LE (lastLit, (int) xOf (46 * 23.4375) + 1);
    EXPECT_LE (firstLit, (int) xOf (1000.0));
    EXPECT_GE (lastLit, (int) xOf (1000.0));

    // Below the curve the warm gradient fill covers the plot; beside the peak it does not.
    const auto inFill = image.getPixelAt ((int) xOf (1000.0), 100);
    EXPECT_NE (inFill, t.panel);
    EXPECT_GT (inFill.getRed(), inFill.getBlue());
    EXPECT_TRUE (coloursMatch (image.getPixelAt ((int) xOf (5000.0), 100), t.panel));

    // Degenerate sizes paint without trouble.
    bins.fill (1.0f);
    for (const auto& size : { juce::Point<int> (12, 16), juce::Point<int> (5, 5), juce::Point<int> (0, 0) })
    {
        analyzer.setSize (size.x, size.y);
        ui_testing::paintToImage (analyzer);
    }
}
