#pragma once

#include <juce_core/juce_core.h>

#include <vector>

/** Saved states for the state fuzzer to start from: blocks written by real processors
    (fresh, after each factory program, with random settings, bypassed) and a few trees
    that exercise every value type of the framework's tree stream.
*/
std::vector<juce::MemoryBlock> makeSeedStates();

/** The state every fuzz input is applied to: a processor whose values differ from the
    defaults, so that a restore that wrongly resets a value shows.
*/
juce::MemoryBlock makeBaselineState();
