#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <cstring>
#include <vector>

namespace testing_support
{
/** Sets a parameter of a processor by its ID to a plain value, notifying the host. */
inline void setPlain (juce::AudioProcessorValueTreeState& state, const juce::String& id, float plain)
{
    auto* parameter = state.getParameter (id);
    jassert (parameter != nullptr);
    parameter->setValueNotifyingHost (parameter->convertTo0to1 (plain));
}

/** Plain value of a parameter by its ID. */
inline float plainValue (juce::AudioProcessorValueTreeState& state, const juce::String& id)
{
    return state.getRawParameterValue (id)->load();
}

/** Counts the steps a ramp takes to reach a new target from where it stands. */
template <typename Smoothed>
int rampLength (Smoothed ramp)
{
    const auto target = ramp.getTargetValue();
    ramp.setTargetValue (target > 0.5f ? target * 0.5f : target + 1.0f);
    int steps = 0;

    while (ramp.isSmoothing() && steps < 1000000)
    {
        ramp.getNextValue();
        ++steps;
    }

    return steps;
}

/** The state a processor saves, as a host would ask for it. */
inline juce::MemoryBlock saveState (juce::AudioProcessor& processor)
{
    juce::MemoryBlock block;
    processor.getStateInformation (block);
    return block;
}

/** The bytes the framework's tree stream format gives for a tree. */
inline juce::MemoryBlock streamOf (const juce::ValueTree& tree)
{
    juce::MemoryBlock block;
    juce::MemoryOutputStream out (block, false);
    tree.writeToStream (out);
    return block;
}

inline std::vector<unsigned char> toBytes (const juce::MemoryBlock& block)
{
    const auto* data = static_cast<const unsigned char*> (block.getData());
    return { data, data + block.getSize() };
}
} // namespace testing_support
