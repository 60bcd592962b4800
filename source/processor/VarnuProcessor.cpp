#include "processor/VarnuProcessor.h"

#include "processor/FactoryPresets.h"
#include "processor/GainRamp.h"
#include "processor/ParameterLayout.h"
#include "processor/StateReader.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

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

namespace
{
constexpr auto relaxed = std::memory_order_relaxed;

/** The clip level, the float nearest 0.97. */
constexpr float clipLevel = 0.97f;

/** Replaces every NaN and infinity in the buffer by 0 and leaves finite samples alone.
    One such sample would otherwise stay in the envelope and the filter memories until
    the next preparation.
*/
void zeroNonFiniteSamples (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples) noexcept
{
    for (int c = 0; c < numChannels; ++c)
    {
        auto* samples = buffer.getWritePointer (c);

        for (int i = 0; i < numSamples; ++i)
            samples[i] = std::isfinite (samples[i]) ? samples[i] : 0.0f;
    }
}

/** Turns infinities back into the largest finite floats. A huge but finite input can
    overflow the input gain or the high-pass's conversion back to float; an infinity there
    would put NaN into the high-pass and saturator memories and, through the compressor's
    envelope, silence the strip for good. Finite samples are left alone.
*/
void limitToFiniteRange (juce::dsp::AudioBlock<float>& block) noexcept
{
    constexpr auto largest = std::numeric_limits<float>::max();

    for (size_t c = 0; c < block.getNumChannels(); ++c)
    {
        auto* samples = block.getChannelPointer (c);

        for (size_t i = 0; i < block.getNumSamples(); ++i)
            samples[i] = std::min (std::max (samples[i], -largest), largest);
    }
}

void clip (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples) noexcept
{
    for (int c = 0; c < numChannels; ++c)
    {
        auto* samples = buffer.getWritePointer (c);

        for (int i = 0; i < numSamples; ++i)
            samples[i] = std::min (std::max (samples[i], -clipLevel), clipLevel);
    }
}
} // namespace

void VarnuProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    juce::ScopedNoDenormals noDenormals;

    const auto numSamples = buffer.getNumSamples();
    const auto numOutputs = std::min (getTotalNumOutputChannels(), buffer.getNumChannels());

    for (auto channel = getTotalNumInputChannels(); channel < getTotalNumOutputChannels(); ++channel)
        buffer.clear (channel, 0, numSamples);

    zeroNonFiniteSamples (buffer, buffer.getNumChannels(), numSamples);

    // Settings of the block, each parameter read once where it is used.
    const auto character = characterParam->load (relaxed) / 100.0f;
    const auto hpf = hpfParam->load (relaxed);
    const auto highPassOn = highPassIsOn (hpf);

    setGainTargetDecibels (inputGain, inputParam->load (relaxed));
    setGainTargetDecibels (outputGain, outputParam->load (relaxed));

    if (highPassOn)
        designHighPass (highPass, hpf, currentSampleRate);

    setBlockSettings (saturator, flavorParam->load (relaxed), character);
    setBlockSettings (compressor, character);
    toneEq.setTone (toneParam->load (relaxed));

    meterLevels.inputPeak.store (buffer.getMagnitude (0, numSamples), relaxed);

    const auto bypassOn = bypassParam->load (relaxed) > 0.5f;
    bypassMix.setTargetValue (bypassOn ? 1.0f : 0.0f);

    dryBuffer.makeCopyOf (buffer, true);

    // The stages, each over the whole block before the next.
    juce::dsp::AudioBlock<float> block (buffer);

    applyGainRamp (inputGain, block);
    limitToFiniteRange (block);

    if (highPassOn)
    {
        ::processBlock (highPass, block);
        limitToFiniteRange (block);
    }

    process (saturator, block);
    process (compressor, block);
    process (toneEq, block);
    applyGainRamp (outputGain, block);
    clip (buffer, numOutputs, numSamples);

    // Crossfade towards the dry copy while the bypass is on or its ramp still moves.
    if (bypassMix.isSmoothing() || bypassOn)
    {
        for (int i = 0; i < numSamples; ++i)
        {
            const auto t = bypassMix.getNextValue();

            for (int c = 0; c < numOutputs; ++c)
            {
                auto& sample = buffer.getWritePointer (c)[i];
                sample = t * dryBuffer.getSample (c, i) + (1.0f - t) * sample;
            }
        }
    }

    meterLevels.outputPeak.store (buffer.getMagnitude (0, numSamples), relaxed);
    meterLevels.gainReduction.store (bypassOn ? 0.0f : compressor.gainReductionDb, relaxed);

    // The mono mix of the output for the analyser.
    if (numOutputs > 0)
    {
        const auto* left = buffer.getReadPointer (0);
        const auto* right = buffer.getReadPointer (numOutputs > 1 ? 1 : 0);
        auto index = analyzerFifo.writeIndex.load (relaxed);

        for (int i = 0; i < numSamples; ++i)
        {
            analyzerFifo.samples[index % AnalyzerFifo::size].store ((left[i] + right[i]) * 0.5f, relaxed);
            analyzerFifo.writeIndex.store (++index, relaxed);
        }
    }
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

    for (auto child : tree)
    {
        // The framework turns every child's "id" into text, which it cannot do for a number
        // that is not a number: no saved state holds one, so the data is corrupt.
        const auto& id = child["id"];

        if (id.isDouble() && std::isnan (static_cast<double> (id)))
            return;

        // A stored value that is not a number would reach the host and the audio as one (the
        // framework's range clamping lets it through): that parameter keeps its present value.
        if (auto* ranged = apvts.getParameter (id.toString()))
            if (child.hasProperty ("value") && std::isnan (static_cast<double> (child["value"])))
                child.setProperty ("value", ranged->convertFrom0to1 (ranged->getValue()), nullptr);
    }

    // The framework would reset every parameter the restored tree does not name to its
    // default; a partial state keeps their present values instead. Their children go where
    // the framework would append them itself, in its own parameter order (sorted by ID), so
    // that the next save lists them as the framework's restore would.
    std::vector<juce::RangedAudioParameter*> unnamed;

    for (auto* parameter : getParameters())
        if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter))
            if (! tree.getChildWithProperty ("id", ranged->getParameterID()).isValid())
                unnamed.push_back (ranged);

    std::sort (unnamed.begin(), unnamed.end(), [] (const auto* a, const auto* b)
               { return a->getParameterID().compare (b->getParameterID()) < 0; });

    for (auto* ranged : unnamed)
        tree.appendChild (juce::ValueTree ("PARAM", { { "id", ranged->getParameterID() },
                                                      { "value", ranged->convertFrom0to1 (ranged->getValue()) } }),
                          nullptr);

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
