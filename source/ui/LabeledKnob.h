#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

namespace qel::ui
{
/** A rotary control bound to one parameter of a parameter state, with a caption strip
    above it and an editable value box below it.

    The binding is made at construction and lasts until destruction. An ID that the
    state does not hold leaves the control unbound: it turns freely and moves nothing.
*/
class LabeledKnob : public juce::Component
{
public:
    /** Builds the knob and binds it to the parameter; the state must outlive the knob. */
    LabeledKnob (juce::AudioProcessorValueTreeState& state,
                 const juce::String& parameterId,
                 const juce::String& caption);

    ~LabeledKnob() override;

    /** Re-applies the caption's font and colour, whatever the new look-and-feel says. */
    void lookAndFeelChanged() override;

    /** Puts the caption in the top min(height, 16) pixels and the control below it. */
    void resized() override;

    /** Lets the control rebuild its value box under the look-and-feel of its new parents. */
    void parentHierarchyChanged() override;

private:
    juce::Slider slider;
    juce::Label label;
    std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment> attachment;

    void applyCaptionStyle();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LabeledKnob)
};
} // namespace qel::ui
