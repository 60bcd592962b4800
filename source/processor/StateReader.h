#pragma once

#include <juce_data_structures/juce_data_structures.h>

/** Reads a value tree from the framework's binary tree stream, giving the same tree that
    juce::ValueTree::readFromData gives for any data it handles safely and whose text (type
    names, property names, string values) is well-formed UTF-8.

    The framework's reader trusts the counts and sizes in the data: a few corrupt bytes can
    make it reserve gigabytes, loop for billions of iterations or recurse until the stack
    overflows. This reader never allocates more than the data can fill, stops where the
    framework's reader would only read past the end, and returns an invalid tree for data
    nested deeper than maxDepth or holding text that is not well-formed UTF-8 (the framework
    keeps such text in strings that do not save back to the same bytes).
*/
juce::ValueTree readValueTreeSafely (const void* data, size_t numBytes);

/** Trees and arrays nested deeper than this are refused as corrupt. */
inline constexpr int maxValueTreeDepth = 64;
