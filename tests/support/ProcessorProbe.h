#pragma once

#include "processor/VarnuProcessor.h"

/** Test-only view of a processor's private state. */
struct VarnuProcessorProbe
{
    VarnuProcessor& p;

    double sampleRate() const { return p.currentSampleRate; }
    auto& inputGain() { return p.inputGain; }
    auto& outputGain() { return p.outputGain; }
    auto& bypassMix() { return p.bypassMix; }
    auto& saturator() { return p.saturator; }
    auto& compressor() { return p.compressor; }
    auto& toneEq() { return p.toneEq; }
    auto& highPass (int channel) { return p.highPass[channel]; }
    auto& dryBuffer() { return p.dryBuffer; }
    std::atomic<float>* rawValue (int index) const
    {
        std::atomic<float>* values[] { p.characterParam, p.flavorParam, p.inputParam, p.hpfParam,
                                       p.toneParam,      p.outputParam, p.bypassParam };
        return values[index];
    }
};
