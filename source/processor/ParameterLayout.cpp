#include "processor/ParameterLayout.h"

#include "processor/VarnuProcessor.h"

juce::String characterValueText (float value, int)
{
    return juce::String (static_cast<int> (value));
}

juce::String gainValueText (float value, int)
{
    return juce::String (value, 1) + " dB";
}

juce::String hpfValueText (float value, int)
{
    if (value <= 21.0f)
        return "Off";

    return juce::String (static_cast<int> (value)) + " Hz";
}

juce::String toneValueText (float value, int)
{
    if (value < -0.5f)
        return "Dark " + juce::String (static_cast<int> (-value));

    if (value > 0.5f)
        return "Bright " + juce::String (static_cast<int> (value));

    return "Flat";
}

namespace
{
std::unique_ptr<juce::AudioParameterFloat> makeFloat (const char* id, const char* name,
                                                      juce::NormalisableRange<float> range, float defaultValue,
                                                      juce::String (*text) (float, int))
{
    return std::make_unique<juce::AudioParameterFloat> (
        juce::ParameterID { id, 1 }, name, range, defaultValue,
        juce::AudioParameterFloatAttributes().withStringFromValueFunction (text));
}
} // namespace

juce::AudioProcessorValueTreeState::ParameterLayout VarnuProcessor::createParameterLayout()
{
    namespace id = ParameterIds;

    std::vector<std::unique_ptr<juce::RangedAudioParameter>> parameters;

    parameters.push_back (makeFloat (id::character, "Character", { 0.0f, 100.0f, 0.1f, 1.0f }, 40.0f,
                                     characterValueText));
    parameters.push_back (std::make_unique<juce::AudioParameterChoice> (
        juce::ParameterID { id::flavor, 1 }, "Flavor", juce::StringArray { "Tube", "Tape", "Iron" }, 0));
    parameters.push_back (makeFloat (id::input, "Input", { -24.0f, 24.0f, 0.01f, 1.0f }, 0.0f, gainValueText));
    parameters.push_back (makeFloat (id::hpf, "HPF", { 20.0f, 300.0f, 1.0f, 0.5f }, 20.0f, hpfValueText));
    parameters.push_back (makeFloat (id::tone, "Tone", { -100.0f, 100.0f, 0.1f, 1.0f }, 0.0f, toneValueText));
    parameters.push_back (makeFloat (id::output, "Output", { -24.0f, 12.0f, 0.01f, 1.0f }, 0.0f, gainValueText));
    parameters.push_back (
        std::make_unique<juce::AudioParameterBool> (juce::ParameterID { id::bypass, 1 }, "Bypass", false));

    return { std::make_move_iterator (parameters.begin()), std::make_move_iterator (parameters.end()) };
}
