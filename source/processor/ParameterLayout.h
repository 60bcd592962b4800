#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/** The parameter ID strings. Hosts store automation under hashes of these strings, so
    they never change.
*/
namespace ParameterIds
{
inline constexpr const char* character = "character";
inline constexpr const char* flavor = "flavor";
inline constexpr const char* input = "input";
inline constexpr const char* hpf = "hpf";
inline constexpr const char* tone = "tone";
inline constexpr const char* output = "output";
inline constexpr const char* bypass = "bypass";
} // namespace ParameterIds

/** Value texts of the float parameters; each takes the plain value and the framework's
    maximum length (which they ignore: the whole text is always returned).
*/
juce::String characterValueText (float value, int maximumLength);
juce::String gainValueText (float value, int maximumLength);
juce::String hpfValueText (float value, int maximumLength);
juce::String toneValueText (float value, int maximumLength);
