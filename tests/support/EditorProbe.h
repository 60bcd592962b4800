#pragma once

#include "editor/VarnuEditor.h"

/** Test-only view of an editor's children. */
struct VarnuEditorProbe
{
    VarnuEditor& e;

    juce::ComboBox& flavorBox() { return e.flavorBox; }
    juce::ComboBox& presetBox() { return e.presetBox; }
    juce::TextButton& bypassButton() { return e.bypassButton; }
    qel::ui::LabeledKnob& characterKnob() { return *e.characterKnob; }

    /** The twelve children in the order the layout is tabulated. */
    std::vector<juce::Component*> layoutOrder()
    {
        return { &e.bypassButton,       &e.presetBox,      &e.flavorBox,  &e.inMeter,
                 &e.grMeter,            &e.outMeter,       &e.analyzer,   e.characterKnob.get(),
                 e.inputKnob.get(),     e.hpfKnob.get(),   e.toneKnob.get(), e.outputKnob.get() };
    }

    /** The twelve children from back to front, as they are added. */
    std::vector<juce::Component*> stackingOrder()
    {
        return { e.characterKnob.get(), e.inputKnob.get(), e.hpfKnob.get(), e.toneKnob.get(),
                 e.outputKnob.get(),    &e.analyzer,       &e.flavorBox,    &e.presetBox,
                 &e.bypassButton,       &e.inMeter,        &e.grMeter,      &e.outMeter };
    }
};
