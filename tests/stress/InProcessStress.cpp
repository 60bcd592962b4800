// The stress test on a processor in this process: the same schedule as through the host,
// plus what only the processor's own object shows, the meter levels and the analyser ring
// that its editor reads while blocks run, and blocks longer than the prepared size (which
// the VST3 interface does not let a host send).
//
//   varnu_inprocess_stress       about 10 s; VARNU_STRESS_SECONDS and VARNU_STRESS_SEED change it
#include "StressScenario.h"

#include "processor/VarnuProcessor.h"


#include <cmath>
#include <cstdio>

#include "support/IgnoreXErrors.h" // last: Xlib's macros would clash with the framework's names

namespace
{
class InProcessTarget final : public stress::Target
{
public:
    InProcessTarget() : processor (std::make_unique<VarnuProcessor>()) {}
    ~InProcessTarget() override { closeEditor(); }

    std::vector<juce::AudioProcessorParameter*> pluginParameters() override
    {
        const auto& all = processor->getParameters();
        return { all.begin(), all.end() };
    }

    bool prepare (double sampleRate, int maxBlockSize, int numChannels) override
    {
        const auto set = numChannels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (set);
        layout.outputBuses.add (set);

        processor->releaseResources();

        if (! processor->setBusesLayout (layout))
            return false;

        processor->setRateAndBufferSizeDetails (sampleRate, maxBlockSize);
        processor->prepareToPlay (sampleRate, maxBlockSize);
        return true;
    }

    void process (juce::AudioBuffer<float>& block) override
    {
        // As the framework's wrapper calls it.
        const juce::ScopedLock lock (processor->getCallbackLock());
        processor->processBlock (block, midi);
    }

    bool acceptsLongerBlocks() const override { return true; }

    void setProgram (int index) override { processor->setCurrentProgram (index); }

    juce::MemoryBlock saveState() override
    {
        juce::MemoryBlock block;
        processor->getStateInformation (block);
        return block;
    }

    void restoreState (const juce::MemoryBlock& state) override
    {
        processor->setStateInformation (state.getData(), static_cast<int> (state.getSize()));
    }

    juce::MemoryBlock saveAfterRestoringInNewInstance (const juce::MemoryBlock& state) override
    {
        VarnuProcessor fresh;
        fresh.setStateInformation (state.getData(), static_cast<int> (state.getSize()));
        juce::MemoryBlock block;
        fresh.getStateInformation (block);
        return block;
    }

    void openEditor() override
    {
        if (editor != nullptr)
            return;

        editor.reset (processor->createEditorIfNeeded());

        if (editor != nullptr)
        {
            editor->setTopLeftPosition (40, 40);
            editor->addToDesktop (0);
            editor->setVisible (true);
        }
    }

    void closeEditor() override
    {
        // As the framework's wrapper closes it: the processor is told first.
        if (editor == nullptr)
            return;

        processor->editorBeingDeleted (editor.get());
        editor.reset();
    }

    bool canCheckSharedRecords() const override { return true; }

    juce::String checkSharedRecords() override
    {
        // Read as the editor's meters and analyser read them: relaxed loads while the audio
        // thread writes.
        const auto& meters = processor->meterLevels;
        const auto in = meters.inputPeak.load (std::memory_order_relaxed);
        const auto out = meters.outputPeak.load (std::memory_order_relaxed);
        const auto gr = meters.gainReduction.load (std::memory_order_relaxed);

        if (! std::isfinite (in) || ! std::isfinite (out) || ! std::isfinite (gr) || in < 0.0f || out < 0.0f || gr < 0.0f)
            return "meter levels in " + juce::String (in) + ", out " + juce::String (out) + ", gain reduction "
                   + juce::String (gr);

        for (const auto& slot : processor->analyzerFifo.samples)
            if (const auto v = slot.load (std::memory_order_relaxed); ! std::isfinite (v))
                return "analyser sample " + juce::String (v);

        return {};
    }

    void pumpMessages (int milliseconds) override
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }

private:
    std::unique_ptr<VarnuProcessor> processor;
    std::unique_ptr<juce::AudioProcessorEditor> editor;
    juce::MidiBuffer midi;
};
} // namespace

int main()
{
    juce::ScopedJuceInitialiser_GUI juce;
    ignoreXErrors();
    InProcessTarget target;
    const auto ok = stress::runStress (target, stress::optionsFromEnvironment (10.0), "in-process stress");
    return ok ? 0 : 1;
}
