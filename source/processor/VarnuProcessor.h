#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_dsp/juce_dsp.h>

#include "processor/AnalyzerFifo.h"
#include "processor/Biquad.h"
#include "processor/Compressor.h"
#include "processor/MeterLevels.h"
#include "processor/Saturator.h"
#include "processor/ToneEq.h"

/** The QEL VARNU channel strip: one instance per plug-in instance, driven by the host
    through the framework's VST3 wrapper.

    The audio thread runs processBlock only; everything else runs on the message thread.
    The editor reaches the processor through apvts, the program interface and the two
    records meterLevels and analyzerFifo.
*/
class VarnuProcessor : public juce::AudioProcessor
{
public:
    VarnuProcessor();
    ~VarnuProcessor() override;

    const juce::String getName() const override;

    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlock;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    /** The seven parameters, in the order the host lists them. */
    static juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout();

    juce::AudioProcessorValueTreeState apvts;

private:
    std::atomic<float>* characterParam = nullptr;
    std::atomic<float>* flavorParam = nullptr;
    std::atomic<float>* inputParam = nullptr;
    std::atomic<float>* hpfParam = nullptr;
    std::atomic<float>* toneParam = nullptr;
    std::atomic<float>* outputParam = nullptr;
    std::atomic<float>* bypassParam = nullptr;

    double currentSampleRate = 48000.0;

    juce::SmoothedValue<float, juce::ValueSmoothingTypes::Multiplicative> inputGain { 1.0f };
    juce::SmoothedValue<float, juce::ValueSmoothingTypes::Multiplicative> outputGain { 1.0f };
    Biquad highPass[2];
    Saturator saturator;
    Compressor compressor;
    ToneEq toneEq;

public:
    MeterLevels meterLevels;
    AnalyzerFifo analyzerFifo;

private:
    juce::AudioBuffer<float> dryBuffer;
    juce::SmoothedValue<float> bypassMix { 0.0f };
    int currentProgram = 0;

    friend struct VarnuProcessorProbe;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VarnuProcessor)
};
