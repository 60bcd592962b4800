#pragma once

#include <juce_dsp/juce_dsp.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "processor/AnalyzerFifo.h"

#include <array>

namespace qel::ui
{
/** Live spectrum of an analyser ring, drawn over a logarithmic axis from 20 Hz to 20 kHz.

    Every 33 ms it windows the newest 2048 samples of the ring (Hann), transforms them and
    moves each bin's displayed level (0 to 1 over -90 to 0 dB) 35 % of the way towards
    the new value. The frequency axis assumes 48000 Hz. The ring must outlive the
    analyser, which only reads it.
*/
class SpectrumAnalyzer : public juce::Component,
                         private juce::Timer
{
public:
    static constexpr int fftOrder = 11;
    static constexpr int fftSize = 1 << fftOrder;

    /** Builds the analyser on the ring and starts its 33 ms timer. */
    explicit SpectrumAnalyzer (const AnalyzerFifo& fifo);

    /** Stops the timer before anything else. */
    ~SpectrumAnalyzer() override;

    void paint (juce::Graphics& g) override;

private:
    /** Gives the kit's tests the tick and the displayed levels without a running timer. */
    friend struct SpectrumAnalyzerProbe;

    static constexpr int numBins = fftSize / 2; ///< the displayed lower half of the spectrum

    void timerCallback() override;

    const AnalyzerFifo* fifo;
    juce::dsp::FFT fft { fftOrder };
    juce::dsp::WindowingFunction<float> window { static_cast<size_t> (fftSize),
                                                 juce::dsp::WindowingFunction<float>::hann };
    std::array<float, 2 * fftSize> fftData {};
    std::array<float, numBins> smoothedBins {};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SpectrumAnalyzer)
};
} // namespace qel::ui
