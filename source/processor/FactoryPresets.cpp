#include "processor/FactoryPresets.h"

namespace
{
FactoryPreset makePreset (const char* utf8Name, float character, float flavor, float hpf, float tone, float output)
{
    return { juce::String::fromUTF8 (utf8Name),
             { { "character", character }, { "flavor", flavor }, { "hpf", hpf }, { "tone", tone }, { "output", output } } };
}
} // namespace

const std::vector<FactoryPreset>& getFactoryPresets()
{
    static const std::vector<FactoryPreset> presets {
        makePreset ("Vocal \xc2\xb7 Molten Air", 45.0f, 0.0f, 90.0f, 15.0f, 0.0f),
        makePreset ("Podcast Warm", 55.0f, 1.0f, 80.0f, -8.0f, 0.0f),
        makePreset ("Bus Glue", 30.0f, 1.0f, 20.0f, 0.0f, 0.0f),
        makePreset ("Drum Iron", 65.0f, 2.0f, 40.0f, 12.0f, -1.0f),
        makePreset ("Master Gentle", 22.0f, 0.0f, 20.0f, 3.0f, 0.0f),
        makePreset ("Full Molten", 90.0f, 2.0f, 60.0f, -5.0f, -2.0f),
    };

    return presets;
}

void applyFactoryPreset (int index, juce::AudioProcessorValueTreeState& state)
{
    const auto& presets = getFactoryPresets();

    if (index < 0 || index >= static_cast<int> (presets.size()))
        return;

    for (const auto& [id, value] : presets[static_cast<size_t> (index)].values)
        if (auto* parameter = state.getParameter (id))
            parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
}
