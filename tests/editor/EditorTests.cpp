#include <gtest/gtest.h>

#include "processor/VarnuProcessor.h"
#include "support/EditorProbe.h"
#include "support/TestHelpers.h"
#include "ui/Theme.h"

using namespace testing_support;

namespace
{
using Rect = juce::Rectangle<int>;

std::unique_ptr<VarnuEditor> openEditor (VarnuProcessor& p)
{
    auto* editor = dynamic_cast<VarnuEditor*> (p.createEditorIfNeeded());
    return std::unique_ptr<VarnuEditor> (editor);
}

void closeEditor (VarnuProcessor& p, std::unique_ptr<VarnuEditor>& editor)
{
    p.editorBeingDeleted (editor.get());
    editor.reset();
}

/** Counts program changes requested by the editor. */
struct CountingProcessor : VarnuProcessor
{
    std::vector<int> programRequests;
    void setCurrentProgram (int index) override
    {
        programRequests.push_back (index);
        VarnuProcessor::setCurrentProgram (index);
    }
};

juce::Slider* sliderOf (juce::Component& knob)
{
    for (auto* child : knob.getChildren())
        if (auto* slider = dynamic_cast<juce::Slider*> (child))
            return slider;
    return nullptr;
}

void pumpMessages()
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (30);
}
} // namespace

TEST (Editor, OpensAtFixedSizeWithItsChildrenInOrder)
{
    VarnuProcessor p;
    auto editor = openEditor (p);
    ASSERT_NE (editor, nullptr);
    EXPECT_EQ (p.getActiveEditor(), editor.get());
    EXPECT_EQ (p.createEditorIfNeeded(), editor.get()) << "one editor per processor";
    EXPECT_EQ (editor->getWidth(), 860);
    EXPECT_EQ (editor->getHeight(), 520);
    EXPECT_FALSE (editor->isResizable());
    EXPECT_NE (dynamic_cast<qel::ui::QelLookAndFeel*> (&editor->getLookAndFeel()), nullptr);

    VarnuEditorProbe probe { *editor };
    const auto expected = probe.stackingOrder();
    ASSERT_EQ (editor->getNumChildComponents(), 12);
    for (int i = 0; i < 12; ++i)
    {
        EXPECT_EQ (editor->getChildComponent (i), expected[(size_t) i]) << "child " << i;
        EXPECT_TRUE (expected[(size_t) i]->isVisible());
    }

    EXPECT_EQ (probe.bypassButton().getButtonText(), "BYPASS");
    EXPECT_TRUE (probe.bypassButton().getClickingTogglesState());
    ASSERT_EQ (probe.flavorBox().getNumItems(), 3);
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ (probe.flavorBox().getItemId (i), i + 1);
        EXPECT_EQ (probe.flavorBox().getItemText (i), juce::StringArray ({ "TUBE", "TAPE", "IRON" })[i]);
    }

    ASSERT_EQ (probe.presetBox().getNumItems(), 6);
    for (int i = 0; i < 6; ++i)
    {
        EXPECT_EQ (probe.presetBox().getItemId (i), i + 1);
        EXPECT_EQ (probe.presetBox().getItemText (i), p.getProgramName (i));
    }

    closeEditor (p, editor);
    EXPECT_EQ (p.getActiveEditor(), nullptr);
}

TEST (Editor, LayoutAtItsSizeAndOthers)
{
    struct Case
    {
        int w, h;
        std::vector<Rect> rects; // bypass, preset, flavor, in, gr, out, analyser, character, input, hpf, tone, output
    };
    const Case cases[] {
        { 860, 520,
          { { 754, 30, 84, 32 }, { 594, 32, 152, 28 }, { 494, 32, 92, 28 }, { 752, 90, 21, 402 },
            { 781, 90, 21, 402 }, { 810, 90, 22, 402 }, { 18, 80, 716, 150 }, { 281, 240, 190, 168 },
            { 24, 414, 167, 82 }, { 203, 414, 167, 82 }, { 382, 414, 167, 82 }, { 561, 414, 167, 82 } } },
        { 863, 520,
          { { 757, 30, 84, 32 }, { 597, 32, 152, 28 }, { 497, 32, 92, 28 }, { 755, 90, 21, 402 },
            { 784, 90, 21, 402 }, { 813, 90, 22, 402 }, { 18, 80, 719, 150 }, { 282, 240, 190, 168 },
            { 24, 414, 167, 82 }, { 203, 414, 167, 82 }, { 382, 414, 167, 82 }, { 561, 414, 167, 82 } } },
        { 400, 300,
          { { 294, 30, 84, 32 }, { 252, 32, 34, 28 }, { 252, 32, 0, 28 }, { 292, 90, 21, 182 },
            { 321, 90, 21, 182 }, { 350, 90, 22, 182 }, { 18, 80, 256, 150 }, { 51, 240, 190, 42 },
            { 24, 288, 52, 0 }, { 88, 288, 52, 0 }, { 152, 288, 52, 0 }, { 216, 288, 52, 0 } } },
    };

    VarnuProcessor p;
    auto editor = openEditor (p);
    VarnuEditorProbe probe { *editor };
    const auto children = probe.layoutOrder();

    for (const auto& c : cases)
    {
        editor->setSize (c.w, c.h);
        for (size_t i = 0; i < children.size(); ++i)
            EXPECT_EQ (children[i]->getBounds(), c.rects[i]) << c.w << " x " << c.h << ", child " << i;
    }

    // Narrow rows: the character knob keeps its width and may start left of its row.
    editor->setSize (333, 520);
    EXPECT_EQ (probe.characterKnob().getX(), 18);
    editor->setSize (244, 520);
    EXPECT_EQ (probe.characterKnob().getX(), -27);

    editor->setSize (0, 0);
    for (size_t i = 0; i < children.size(); ++i)
    {
        if (children[i] == &probe.characterKnob())
            EXPECT_EQ (children[i]->getBounds(), Rect (-77, 18, 190, 0));
        else
            EXPECT_TRUE (children[i]->getBounds().isEmpty()) << "child " << i;
    }

    closeEditor (p, editor);
}

TEST (Editor, ControlsFollowAndDriveTheirParameters)
{
    VarnuProcessor p;
    auto editor = openEditor (p);
    VarnuEditorProbe probe { *editor };

    EXPECT_EQ (probe.flavorBox().getText(), "TUBE");
    probe.flavorBox().setSelectedId (3, juce::sendNotificationSync);
    EXPECT_EQ (plainValue (p.apvts, "flavor"), 2.0f);

    p.apvts.getParameter ("flavor")->setValueNotifyingHost (0.5f);
    EXPECT_EQ (probe.flavorBox().getText(), "TAPE");

    EXPECT_FALSE (probe.bypassButton().getToggleState());
    probe.bypassButton().triggerClick();
    pumpMessages();
    EXPECT_TRUE (probe.bypassButton().getToggleState());
    EXPECT_EQ (plainValue (p.apvts, "bypass"), 1.0f);
    probe.bypassButton().triggerClick();
    pumpMessages();
    EXPECT_FALSE (probe.bypassButton().getToggleState());
    EXPECT_EQ (plainValue (p.apvts, "bypass"), 0.0f);

    p.apvts.getParameter ("bypass")->setValueNotifyingHost (1.0f);
    EXPECT_TRUE (probe.bypassButton().getToggleState());

    closeEditor (p, editor);
}

TEST (Editor, PresetSelectorShowsTheProgramAtOpeningAndAppliesChoices)
{
    CountingProcessor p;
    {
        auto editor = openEditor (p);
        VarnuEditorProbe probe { *editor };
        EXPECT_EQ (probe.presetBox().getSelectedId(), 1) << "a fresh instance shows the first preset";
        EXPECT_EQ (plainValue (p.apvts, "character"), 40.0f) << "without applying it";

        probe.presetBox().setSelectedId (2, juce::sendNotificationSync);
        EXPECT_EQ (p.programRequests, std::vector<int> { 1 });
        EXPECT_EQ (p.getCurrentProgram(), 1);
        EXPECT_FLOAT_EQ (plainValue (p.apvts, "character"), 55.0f);

        // A program switched by the host moves the knobs but not the preset selector.
        p.setCurrentProgram (5);
        EXPECT_EQ (probe.presetBox().getSelectedId(), 2);
        ASSERT_NE (sliderOf (probe.characterKnob()), nullptr);
        EXPECT_NEAR (sliderOf (probe.characterKnob())->getValue(), 90.0, 1e-4);
        EXPECT_EQ (probe.flavorBox().getText(), "IRON");

        closeEditor (p, editor);
    }

    p.setCurrentProgram (3);
    auto reopened = openEditor (p);
    EXPECT_EQ (VarnuEditorProbe { *reopened }.presetBox().getSelectedId(), 4);
    closeEditor (p, reopened);
}

TEST (Editor, PaintsTheHeaderOverTheGlow)
{
    VarnuProcessor p;
    auto editor = openEditor (p);
    const auto image = editor->createComponentSnapshot (editor->getLocalBounds(), true, 1.0f);

    const auto& t = qel::ui::theme();
    // Far from the glow's centre (430, 300) the background shows through untouched.
    EXPECT_EQ (image.getPixelAt (5, 5).getARGB(), t.background.getARGB());
    // Near the centre the amber glow lifts the background.
    const auto nearCentre = image.getPixelAt (430, 236);
    EXPECT_GT (nearCentre.getRed(), t.background.getRed());
    EXPECT_GT (nearCentre.getRed(), nearCentre.getBlue());

    // The title's bright text lies inside its rectangle.
    bool titleInk = false;
    for (int y = 28; y < 58 && ! titleInk; ++y)
        for (int x = 20; x < 120 && ! titleInk; ++x)
            titleInk = image.getPixelAt (x, y).getBrightness() > 0.7f;
    EXPECT_TRUE (titleInk);

    closeEditor (p, editor);
}

TEST (Editor, RendersAScreenshotWithSignalRunning)
{
    VarnuProcessor p;
    p.setCurrentProgram (0);
    p.prepareToPlay (48000.0, 512);
    auto editor = openEditor (p);

    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    juce::Random random (7);
    double phase = 0.0;

    // About a second and a half of a bright chord with some noise, while the displays tick.
    for (int round = 0; round < 45; ++round)
    {
        for (int block = 0; block < 3; ++block)
        {
            for (int i = 0; i < buffer.getNumSamples(); ++i)
            {
                phase += 1.0 / 48000.0;
                const auto t = juce::MathConstants<double>::twoPi * phase;
                const auto v = 0.35 * std::sin (110.0 * t) + 0.2 * std::sin (330.0 * t) + 0.12 * std::sin (1650.0 * t)
                               + 0.03 * (random.nextFloat() * 2.0f - 1.0f);
                buffer.setSample (0, i, (float) v);
                buffer.setSample (1, i, (float) (v * 0.9));
            }
            p.processBlock (buffer, midi);
        }
        juce::MessageManager::getInstance()->runDispatchLoopUntil (34);
    }

    const auto image = editor->createComponentSnapshot (editor->getLocalBounds(), true, 1.0f);
    EXPECT_EQ (image.getWidth(), 860);
    EXPECT_EQ (image.getHeight(), 520);

    const juce::File file (VARNU_SCREENSHOT_PATH);
    file.deleteFile();
    {
        juce::FileOutputStream out (file);
        ASSERT_TRUE (out.openedOk());
        ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (image, out));
    }
    EXPECT_GT (file.getSize(), 1000);

    closeEditor (p, editor);
}
