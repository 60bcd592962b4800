#include "processor/VarnuProcessor.h"

#include "processor/FactoryPresets.h"
#include "processor/ParameterLayout.h"
#include "processor/StateReader.h"

VarnuProcessor::VarnuProcessor()
    : juce::AudioProcessor (BusesProperties()
                                .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      apvts (*this, nullptr, "PARAMETERS", createParameterLayout())
{
    characterParam = apvts.getRawParameterValue (ParameterIds::character);
    flavorParam = apvts.getRawParameterValue (ParameterIds::flavor);
    inputParam = apvts.getRawParameterValue (ParameterIds::input);
    hpfParam = apvts.getRawParameterValue (ParameterIds::hpf);
    toneParam = apvts.getRawParameterValue (ParameterIds::tone);
    outputParam = apvts.getRawParameterValue (ParameterIds::output);
    bypassParam = apvts.getRawParameterValue (ParameterIds::bypass);
}

VarnuProcessor::~VarnuProcessor() = default;

const juce::String VarnuProcessor::getName() const
{
    return "QEL VARNU";
}

void VarnuProcessor::prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock)
{
    const auto numChannels = getTotalNumOutputChannels();
    const juce::dsp::ProcessSpec spec { sampleRate, static_cast<juce::uint32> (maximumExpectedSamplesPerBlock),
                                        static_cast<juce::uint32> (numChannels) };

    currentSampleRate = sampleRate;

    inputGain.reset (sampleRate, 0.02);
    outputGain.reset (sampleRate, 0.02);

    prepare (saturator, sampleRate);
    prepare (compressor, sampleRate);
    prepare (toneEq, spec);

    for (auto& section : highPass)
        designHighPass (section, 20.0f, sampleRate);

    bypassMix.reset (sampleRate, 0.01);
    dryBuffer.setSize (numChannels, maximumExpectedSamplesPerBlock);
}

void VarnuProcessor::releaseResources() {}

void VarnuProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    juce::ScopedNoDenormals noDenormals;

    for (auto channel = getTotalNumInputChannels(); channel < getTotalNumOutputChannels(); ++channel)
        buffer.clear (channel, 0, buffer.getNumSamples());
}

double VarnuProcessor::getTailLengthSeconds() const
{
    return 0.0;
}

bool VarnuProcessor::acceptsMidi() const
{
    return false;
}

bool VarnuProcessor::producesMidi() const
{
    return false;
}

bool VarnuProcessor::hasEditor() const
{
    return true;
}

int VarnuProcessor::getNumPrograms()
{
    return static_cast<int> (getFactoryPresets().size());
}

int VarnuProcessor::getCurrentProgram()
{
    return currentProgram;
}

void VarnuProcessor::setCurrentProgram (int index)
{
    if (index < 0 || index >= getNumPrograms())
        return;

    currentProgram = index;
    applyFactoryPreset (index, apvts);
}

const juce::String VarnuProcessor::getProgramName (int index)
{
    const auto& presets = getFactoryPresets();

    if (index < 0 || index >= static_cast<int> (presets.size()))
        return {};

    return presets[static_cast<size_t> (index)].name;
}

void VarnuProcessor::changeProgramName (int, const juce::String&) {}

void VarnuProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    const auto state = apvts.copyState();
    juce::MemoryOutputStream stream (destData, false);
    state.writeToStream (stream);
}

void VarnuProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    // A negative size would read far outside the host's buffer.
    if (data == nullptr || sizeInBytes <= 0)
        return;

    auto tree = readValueTreeSafely (data, static_cast<size_t> (sizeInBytes));

    if (! tree.isValid())
        return;

    // The framework would reset every parameter the restored tree does not name to its
    // default; a partial state keeps their present values instead.
    for (auto* parameter : getParameters())
    {
        if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter))
        {
            const auto& id = ranged->getParameterID();

            if (! tree.getChildWithProperty ("id", id).isValid())
                tree.appendChild (juce::ValueTree ("PARAM", { { "id", id },
                                                              { "value", ranged->convertFrom0to1 (ranged->getValue()) } }),
                                  nullptr);
        }
    }

    apvts.replaceState (tree);
}

bool VarnuProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto out = layouts.getMainOutputChannelSet();
    const auto in = layouts.getMainInputChannelSet();

    if (out != juce::AudioChannelSet::mono() && out != juce::AudioChannelSet::stereo())
        return false;

    return in == out;
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new VarnuProcessor();
}
