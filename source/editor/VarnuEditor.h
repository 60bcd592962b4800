#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "processor/VarnuProcessor.h"
#include "ui/LabeledKnob.h"
#include "ui/MeterComponent.h"
#include "ui/QelLookAndFeel.h"
#include "ui/SpectrumAnalyzer.h"

/** The plug-in's fixed 860 x 520 window: five knobs, the flavour and preset selectors,
    the bypass button, the spectrum analyser and the input, gain-reduction and output
    meters, all bound to the processor that created it.

    It reaches the processor only through apvts (the attachments), the program interface
    (the preset selector) and the meter and analyser records.
*/
class VarnuEditor : public juce::AudioProcessorEditor
{
public:
    explicit VarnuEditor (VarnuProcessor& processor);
    ~VarnuEditor() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

private:
    void refreshPresetList();

    VarnuProcessor& processorRef;
    qel::ui::QelLookAndFeel lookAndFeel;
    qel::ui::SpectrumAnalyzer analyzer;
    std::unique_ptr<qel::ui::LabeledKnob> characterKnob;
    std::unique_ptr<qel::ui::LabeledKnob> inputKnob;
    std::unique_ptr<qel::ui::LabeledKnob> hpfKnob;
    std::unique_ptr<qel::ui::LabeledKnob> toneKnob;
    std::unique_ptr<qel::ui::LabeledKnob> outputKnob;
    juce::ComboBox flavorBox;
    juce::ComboBox presetBox;
    juce::TextButton bypassButton { "BYPASS" };
    std::unique_ptr<juce::AudioProcessorValueTreeState::ComboBoxAttachment> flavorAttachment;
    std::unique_ptr<juce::AudioProcessorValueTreeState::ButtonAttachment> bypassAttachment;
    qel::ui::MeterComponent inMeter;
    qel::ui::MeterComponent grMeter;
    qel::ui::MeterComponent outMeter;

    friend struct VarnuEditorProbe;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VarnuEditor)
};
