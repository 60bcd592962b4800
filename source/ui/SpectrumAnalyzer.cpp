#include "ui/SpectrumAnalyzer.h"

#include "ui/Theme.h"

#include <cmath>

namespace qel::ui
{
namespace
{
constexpr float displaySampleRate = 48000.0f;
constexpr float lowestFrequency = 20.0f;
constexpr float highestFrequency = 20000.0f;
constexpr float floorDb = -90.0f;
constexpr float smoothing = 0.35f;
} // namespace

SpectrumAnalyzer::SpectrumAnalyzer (const AnalyzerFifo& fifoToShow)
    : fifo (&fifoToShow)
{
    startTimer (33);
}

SpectrumAnalyzer::~SpectrumAnalyzer()
{
    stopTimer();
}

void SpectrumAnalyzer::timerCallback()
{
    static_assert (static_cast<std::uint32_t> (fftSize) <= AnalyzerFifo::size);
    constexpr auto ringMask = AnalyzerFifo::size - 1;

    // One load of the write position; every slot read derives from it. The unsigned
    // arithmetic wraps with the counter, and the ring size divides 2^32.
    const auto end = fifo->writeIndex.load (std::memory_order_relaxed);
    const auto start = end - static_cast<std::uint32_t> (fftSize);

    for (std::uint32_t i = 0; i < static_cast<std::uint32_t> (fftSize); ++i)
        fftData[i] = fifo->samples[(start + i) & ringMask].load (std::memory_order_relaxed);

    window.multiplyWithWindowingTable (fftData.data(), static_cast<size_t> (fftSize));
    fft.performFrequencyOnlyForwardTransform (fftData.data());

    for (int k = 0; k < numBins; ++k)
    {
        const auto magnitude = fftData[(size_t) k] * (1.0f / static_cast<float> (fftSize));
        const auto db = juce::Decibels::gainToDecibels (magnitude);
        const auto level = juce::jlimit (0.0f, 1.0f, juce::jmap (db, floorDb, 0.0f, 0.0f, 1.0f));
        auto& shown = smoothedBins[(size_t) k];
        shown = shown + (level - shown) * smoothing;
    }

    repaint();
}

void SpectrumAnalyzer::paint (juce::Graphics& g)
{
    const auto& t = theme();
    const auto bounds = getLocalBounds().toFloat();
    const auto width = bounds.getWidth();
    const auto height = bounds.getHeight();

    g.setColour (t.panel);
    g.fillRoundedRectangle (bounds, t.cornerRadius);

    g.setColour (t.track.withAlpha (0.6f));
    for (int i = 1; i <= 3; ++i)
        g.drawHorizontalLine (static_cast<int> (height * static_cast<float> (i) * 0.25f), 6.0f, width - 6.0f);

    const auto left = 8.0f;
    const auto top = 8.0f;
    const auto right = width - 8.0f;
    const auto bottom = height - 8.0f;

    const auto logLow = std::log10 (lowestFrequency);
    const auto logRange = std::log10 (highestFrequency) - logLow;
    const auto binToX = [&] (int bin)
    {
        const auto frequency = static_cast<float> (bin) * (displaySampleRate / static_cast<float> (fftSize));
        const auto position = juce::jlimit (0.0f, 1.0f, (std::log10 (juce::jmax (frequency, lowestFrequency)) - logLow) / logRange);
        return left + (right - left) * position;
    };

    juce::Path curve;
    for (int k = 1; k < numBins; ++k)
    {
        const juce::Point<float> point (binToX (k), bottom - (bottom - top) * smoothedBins[(size_t) k]);

        if (k == 1)
            curve.startNewSubPath (point);
        else
            curve.lineTo (point);
    }

    auto fill = curve;
    fill.lineTo (right, bottom);
    fill.lineTo (left, bottom);
    fill.closeSubPath();
    g.setGradientFill (juce::ColourGradient::vertical (t.accent.withAlpha (0.35f), top,
                                                       t.ember.withAlpha (0.05f), bottom));
    g.fillPath (fill);

    g.setColour (t.accentLight);
    g.strokePath (curve, juce::PathStrokeType (1.5f));

    g.setColour (t.textFaint);
    g.setFont (monoFont (t.captionFontSize));
    g.drawText ("SPECTRUM", bounds.reduced (10.0f, 6.0f), juce::Justification::topLeft, true);
}
} // namespace qel::ui
