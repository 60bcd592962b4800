#include "editor/VarnuEditor.h"

#include "processor/FactoryPresets.h"
#include "processor/ParameterLayout.h"
#include "ui/Theme.h"

namespace
{
constexpr int editorWidth = 860;
constexpr int editorHeight = 520;
} // namespace

VarnuEditor::VarnuEditor (VarnuProcessor& p)
    : juce::AudioProcessorEditor (p),
      processorRef (p),
      analyzer (p.analyzerFifo),
      inMeter (p.meterLevels, qel::ui::MeterComponent::Mode::inputLevel, "IN"),
      grMeter (p.meterLevels, qel::ui::MeterComponent::Mode::gainReduction, "GR"),
      outMeter (p.meterLevels, qel::ui::MeterComponent::Mode::outputLevel, "OUT")
{
    setLookAndFeel (&lookAndFeel);

    auto& state = processorRef.apvts;
    characterKnob = std::make_unique<qel::ui::LabeledKnob> (state, ParameterIds::character, "CHARACTER");
    inputKnob = std::make_unique<qel::ui::LabeledKnob> (state, ParameterIds::input, "INPUT");
    hpfKnob = std::make_unique<qel::ui::LabeledKnob> (state, ParameterIds::hpf, "HPF");
    toneKnob = std::make_unique<qel::ui::LabeledKnob> (state, ParameterIds::tone, "TONE");
    outputKnob = std::make_unique<qel::ui::LabeledKnob> (state, ParameterIds::output, "OUTPUT");

    for (auto* knob : { characterKnob.get(), inputKnob.get(), hpfKnob.get(), toneKnob.get(), outputKnob.get() })
        addAndMakeVisible (*knob);

    addAndMakeVisible (analyzer);

    // Item order follows the parameter's choices; the attachment maps positions to indices.
    flavorBox.addItemList ({ "TUBE", "TAPE", "IRON" }, 1);
    addAndMakeVisible (flavorBox);
    flavorAttachment =
        std::make_unique<juce::AudioProcessorValueTreeState::ComboBoxAttachment> (state, ParameterIds::flavor, flavorBox);

    addAndMakeVisible (presetBox);
    refreshPresetList();
    presetBox.onChange = [this]
    {
        const auto index = presetBox.getSelectedId() - 1;

        if (index >= 0)
            processorRef.setCurrentProgram (index);
    };

    bypassButton.setClickingTogglesState (true);
    addAndMakeVisible (bypassButton);
    bypassAttachment =
        std::make_unique<juce::AudioProcessorValueTreeState::ButtonAttachment> (state, ParameterIds::bypass, bypassButton);

    addAndMakeVisible (inMeter);
    addAndMakeVisible (grMeter);
    addAndMakeVisible (outMeter);

    setSize (editorWidth, editorHeight);
}

VarnuEditor::~VarnuEditor()
{
    setLookAndFeel (nullptr);
}

void VarnuEditor::refreshPresetList()
{
    presetBox.clear (juce::dontSendNotification);

    int itemId = 1;
    for (const auto& preset : getFactoryPresets())
        presetBox.addItem (preset.name, itemId++);

    presetBox.setSelectedId (processorRef.getCurrentProgram() + 1, juce::dontSendNotification);
}

void VarnuEditor::resized()
{
    auto area = getLocalBounds().reduced (18);

    auto header = area.removeFromTop (56);
    header.removeFromLeft (230);
    bypassButton.setBounds (header.removeFromRight (92).reduced (4, 12));
    presetBox.setBounds (header.removeFromRight (160).reduced (4, 14));
    flavorBox.setBounds (header.removeFromRight (100).reduced (4, 14));

    area.removeFromTop (6);

    auto strip = area.removeFromRight (100).reduced (6);
    const auto third = strip.getWidth() / 3;
    inMeter.setBounds (strip.removeFromLeft (third).reduced (4));
    grMeter.setBounds (strip.removeFromLeft (third).reduced (4));
    outMeter.setBounds (strip.reduced (4));

    area.removeFromRight (8);
    analyzer.setBounds (area.removeFromTop (150));
    area.removeFromTop (10);

    const auto row = area.removeFromTop (168);
    characterKnob->setBounds (row.getX() + (row.getWidth() - 190) / 2, row.getY(), 190, row.getHeight());

    const auto quarter = area.getWidth() / 4;
    for (auto* knob : { inputKnob.get(), hpfKnob.get(), toneKnob.get(), outputKnob.get() })
        knob->setBounds (area.removeFromLeft (quarter).reduced (6));
}

void VarnuEditor::paint (juce::Graphics& g)
{
    const auto& t = qel::ui::theme();
    const auto width = static_cast<float> (getWidth());

    g.fillAll (t.background);

    g.setGradientFill (juce::ColourGradient (t.accent.withAlpha (0.16f), width * 0.5f, 300.0f,
                                             t.background.withAlpha (0.0f), width * 0.5f, 520.0f, true));
    g.fillRect (getLocalBounds());

    g.setColour (t.accent);
    g.setFont (qel::ui::monoFont (t.captionFontSize + 1.0f));
    g.drawText ("QEL", juce::Rectangle<float> (20.0f, 16.0f, 60.0f, 14.0f), juce::Justification::left, true);

    g.setColour (t.text);
    g.setFont (qel::ui::sansFont (t.titleFontSize, true));
    g.drawText ("VARNU", juce::Rectangle<float> (20.0f, 28.0f, 360.0f, 30.0f), juce::Justification::left, true);

    g.setColour (t.textFaint);
    g.setFont (qel::ui::sansFont (t.captionFontSize + 1.0f, false));
    g.drawText ("Channel strip - analog heat, digital law", juce::Rectangle<float> (20.0f, 58.0f, 360.0f, 16.0f),
                juce::Justification::left, true);
}

juce::AudioProcessorEditor* VarnuProcessor::createEditor()
{
    return new VarnuEditor (*this);
}
