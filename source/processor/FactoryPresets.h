#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <utility>
#include <vector>

/** One factory preset: its display name (also its program name) and the plain values it
    sets, applied in the order stored.
*/
struct FactoryPreset
{
    juce::String name;
    std::vector<std::pair<juce::String, float>> values;
};

/** The process-wide table of the six factory presets, built on the first call. */
const std::vector<FactoryPreset>& getFactoryPresets();

/** Moves preset `index` into `state`, notifying the host of each parameter it sets.
    An index outside the table does nothing; a pair naming no parameter is skipped.
*/
void applyFactoryPreset (int index, juce::AudioProcessorValueTreeState& state);
