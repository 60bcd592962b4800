#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "processor/MeterLevels.h"

#include <cstdint>

namespace qel::ui
{
/** A vertical bar meter with a one-line caption under the bar.

    Every 33 ms it reads the one value of the levels record that its mode selects, turns
    it into a level between 0 and 1, rises to it at once and falls a fifth of the way per
    tick. The record must outlive the meter, which only reads it.
*/
class MeterComponent : public juce::Component,
                       private juce::Timer
{
public:
    /** What the meter shows. */
    enum class Mode : std::int32_t
    {
        inputLevel = 0,   ///< input peak, -60 to 0 dB
        outputLevel = 1,  ///< output peak, -60 to 0 dB
        gainReduction = 2 ///< gain reduction, 0 to 18 dB
    };

    /** Builds the meter on the record and starts its 33 ms timer. */
    MeterComponent (MeterLevels& levels, Mode mode, juce::String caption);

    /** Stops the timer before anything else. */
    ~MeterComponent() override;

    void paint (juce::Graphics& g) override;

private:
    /** Gives the kit's tests the tick and the displayed level without a running timer. */
    friend struct MeterComponentProbe;

    void timerCallback() override;

    const MeterLevels* levels;
    Mode mode;
    juce::String caption;
    float displayLevel = 0.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MeterComponent)
};
} // namespace qel::ui
