#pragma once

#include "AudioThreadAllocations.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <cstdint>
#include <vector>

namespace stress
{
/** One plug-in instance as the stress run drives it: through a VST3 host, or directly.
    Everything but process() is called on the message thread. */
class Target
{
public:
    virtual ~Target() = default;

    /** The plug-in's seven parameters in their layout order, "character" to "bypass". */
    virtual std::vector<juce::AudioProcessorParameter*> pluginParameters() = 0;

    /** The host's own bypass switch, where the host has one. */
    virtual juce::AudioProcessorParameter* hostBypass() { return nullptr; }

    /** Sets the layout (1 or 2 channels in and out) and prepares; only while no block runs. */
    virtual bool prepare (double sampleRate, int maxBlockSize, int numChannels) = 0;

    /** One block, in place, on the audio thread. */
    virtual void process (juce::AudioBuffer<float>& block) = 0;

    /** Whether blocks longer than the prepared size may be sent. */
    virtual bool acceptsLongerBlocks() const = 0;

    /** Delivers parameter changes still held by the host; only while no block runs. */
    virtual void flush() {}

    virtual void setProgram (int index) = 0;

    virtual juce::MemoryBlock saveState() = 0;
    virtual void restoreState (const juce::MemoryBlock& state) = 0;

    /** How many leading bytes of a saved state are the plug-in's own (the host's or the
        wrapper's may follow). */
    virtual size_t pluginStateBytes (const juce::MemoryBlock& state) { return state.getSize(); }

    /** A new instance given this state: what it saves afterwards. */
    virtual juce::MemoryBlock saveAfterRestoringInNewInstance (const juce::MemoryBlock& state) = 0;

    virtual void openEditor() = 0;
    virtual void closeEditor() = 0;

    /** Checks what the plug-in shares with its editor (meters, analyser ring), while blocks
        run; returns a description of a fault, or nothing. Only where they can be reached. */
    virtual bool canCheckSharedRecords() const { return false; }
    virtual juce::String checkSharedRecords() { return {}; }

    /** What the allocations counted as exempt are (see AudioThreadAllocations.h). */
    virtual const char* exemptAllocationsAre() const { return "none set"; }

    /** Runs the message loop for a while. */
    virtual void pumpMessages (int milliseconds) = 0;
};

struct Options
{
    double seconds = 20.0;
    std::uint64_t seed = 1;
};

/** VARNU_STRESS_SECONDS and VARNU_STRESS_SEED, or the defaults. */
Options optionsFromEnvironment (double defaultSeconds);

/** Runs the stress test, prints what it did and every fault; returns true when there was none. */
bool runStress (Target& target, const Options& options, const char* title);
} // namespace stress
