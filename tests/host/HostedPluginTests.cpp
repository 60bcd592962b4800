// One instance of the plug-in as a JUCE-based DAW creates it from the built bundle: what the
// host lists (description, parameters, programs), what it saves and restores, and the basic
// processing and editor paths. Nothing here depends on what the signal chain does to audio.
#include "HostLayer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using namespace qel::host;

constexpr Steinberg::uint32 wrapperBypassId = 0x62797073; // 'byps', the wrapper's own
constexpr Steinberg::uint32 programId = 0x70727374;       // 'prst', the wrapper's own

const juce::String firstProgramName = juce::String::fromUTF8 ("Vocal \xc2\xb7 Molten Air");

std::unique_ptr<HostedPlugin> loadPlugin()
{
    juce::String error;
    auto plugin = HostedPlugin::load (builtBundle(), error);
    EXPECT_NE (plugin, nullptr) << error;
    return plugin;
}

juce::String textOf (const juce::AudioProcessorParameter* parameter)
{
    return parameter != nullptr ? parameter->getCurrentValueAsText() : juce::String ("<missing>");
}

/** The plug-in's own state tree inside a component state. */
juce::ValueTree pluginTree (const juce::MemoryBlock& componentState)
{
    const auto block = ComponentState::split (componentState).pluginBlock;
    return juce::ValueTree::readFromData (block.getData(), block.getSize());
}

double storedValue (const juce::ValueTree& tree, const juce::String& id)
{
    return tree.getChildWithProperty ("id", id).getProperty ("value", -1.0);
}

class HostedPluginTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        plugin = loadPlugin();
        ASSERT_NE (plugin, nullptr);
    }

    juce::AudioProcessorParameter* param (const juce::String& name) const
    {
        auto* parameter = plugin->findParameter (name);
        EXPECT_NE (parameter, nullptr) << name;
        return parameter;
    }

    std::unique_ptr<HostedPlugin> plugin;
};

//==============================================================================
TEST_F (HostedPluginTest, DescriptionAsTheHostListsIt)
{
    // The scan (which the framework's host answers from moduleinfo.json when the bundle has
    // one) and the live instance must agree; only the instance knows its buses.
    const auto live = plugin->instance().getPluginDescription();

    for (const auto* d : { &plugin->description(), &live })
    {
        SCOPED_TRACE (d == &live ? "instance" : "scan");
        EXPECT_EQ (d->name, "QEL VARNU");
        EXPECT_EQ (d->descriptiveName, "QEL VARNU");
        EXPECT_EQ (d->manufacturerName, "QEL Audio");
        EXPECT_EQ (d->version, "0.1.0");
        EXPECT_EQ (d->category, "Fx");
        EXPECT_EQ (d->pluginFormatName, "VST3");
        EXPECT_FALSE (d->isInstrument);
        EXPECT_EQ (d->uniqueId, plugin->description().uniqueId);
    }

    // The scan names the bundle (the live instance names the shared object inside it).
    EXPECT_EQ (plugin->description().fileOrIdentifier, builtBundle().getFullPathName());

    EXPECT_EQ (live.numInputChannels, 2);
    EXPECT_EQ (live.numOutputChannels, 2);

    auto& instance = plugin->instance();
    EXPECT_EQ (instance.getName(), "QEL VARNU");
    EXPECT_FALSE (instance.acceptsMidi());
    EXPECT_FALSE (instance.producesMidi());
    EXPECT_EQ (instance.getLatencySamples(), 0);
    EXPECT_EQ (instance.getTailLengthSeconds(), 0.0);
    EXPECT_TRUE (instance.hasEditor());
}

TEST_F (HostedPluginTest, NineParametersInOrderWithTheirDefaultTextsAndHostIds)
{
    struct Expected
    {
        const char* name;
        juce::String defaultText;
        Steinberg::uint32 hostId;
    };

    // The host IDs of the seven are the framework's 31-bit hash of their ID strings
    // ("character" ... "bypass"); hosts store automation under them, so they are fixed for good.
    const Expected table[] {
        { "Character", "40", 1564195625u },
        { "Flavor", "Tube", 875436702u },
        { "Input", "0.0 dB", 100358090u },
        { "HPF", "Off", 103518u },
        { "Tone", "Flat", 3565938u },
        { "Output", "0.0 dB", 1141971201u },
        { "Bypass", "Off", 773352680u },
        { "Bypass", "Off", wrapperBypassId },
        { "Program", firstProgramName, programId },
    };

    const auto& parameters = plugin->parameters();
    ASSERT_EQ (parameters.size(), (int) std::size (table));

    for (int i = 0; i < parameters.size(); ++i)
    {
        SCOPED_TRACE ("parameter " + std::to_string (i));
        const auto* parameter = parameters[i];
        EXPECT_EQ (parameter->getName (1024), table[i].name);
        EXPECT_EQ (parameter->getCurrentValueAsText(), table[i].defaultText);
        EXPECT_EQ (parameter->getText (parameter->getDefaultValue(), 1024), table[i].defaultText);
        EXPECT_EQ (HostedPlugin::hostParameterId (*parameter), table[i].hostId);
    }

    // The host's bypass control is the wrapper's parameter, not the plug-in's own "bypass".
    EXPECT_EQ (plugin->instance().getBypassParameter(), parameters[7]);
}

TEST_F (HostedPluginTest, HpfAtHalfTravelIsNinetyHertzInTextAndInThePlugin)
{
    auto* hpf = param ("HPF");
    ASSERT_NE (hpf, nullptr);

    struct Case
    {
        float normalised;
        const char* text;
        double plain;
    };

    for (const auto& c : { Case { 0.5f, "90 Hz", 90.0 }, Case { 1.0f, "300 Hz", 300.0 }, Case { 0.0f, "Off", 20.0 } })
    {
        SCOPED_TRACE (c.text);
        hpf->setValueNotifyingHost (c.normalised);
        EXPECT_EQ (hpf->getCurrentValueAsText(), c.text);
        EXPECT_EQ (storedValue (pluginTree (plugin->getComponentState()), "hpf"), c.plain);
    }
}

//==============================================================================
TEST_F (HostedPluginTest, ProgramListNamesTheSixPresets)
{
    const auto names = plugin->programNames();
    const juce::StringArray expected { firstProgramName, "Podcast Warm", "Bus Glue",
                                       "Drum Iron",      "Master Gentle", "Full Molten" };
    EXPECT_EQ (names, expected);

    ASSERT_FALSE (names.isEmpty());
    EXPECT_EQ (names[0].length(), 18);
    EXPECT_EQ (names[0][6], (juce::juce_wchar) 0x00B7);
    EXPECT_EQ (plugin->instance().getCurrentProgram(), 0);
}

TEST_F (HostedPluginTest, SwitchingProgramsThroughTheHostSetsFiveParameters)
{
    struct Program
    {
        int index;
        const char *character, *flavor, *hpf, *tone, *output;
    };

    // In an order where every switch is a change: the wrapper only applies a program that
    // differs from the current one, and a fresh instance reports program 0.
    const Program programs[] {
        { 3, "65", "Iron", "40 Hz", "Bright 12", "-1.0 dB" },
        { 0, "45", "Tube", "90 Hz", "Bright 15", "0.0 dB" },
        { 5, "90", "Iron", "60 Hz", "Dark 5", "-2.0 dB" },
        { 1, "55", "Tape", "80 Hz", "Dark 8", "0.0 dB" },
        { 4, "22", "Tube", "Off", "Bright 3", "0.0 dB" },
        { 2, "30", "Tape", "Off", "Flat", "0.0 dB" },
    };

    // "Input" and the plug-in's "Bypass" are not part of any program and must stay put.
    auto* input = plugin->parameters()[2];
    auto* bypass = plugin->parameters()[6];
    input->setValueNotifyingHost (input->getValueForText ("-6"));
    bypass->setValueNotifyingHost (1.0f);
    ASSERT_EQ (input->getCurrentValueAsText(), "-6.0 dB");

    for (const auto& program : programs)
    {
        SCOPED_TRACE ("program " + std::to_string (program.index));
        plugin->instance().setCurrentProgram (program.index);

        EXPECT_EQ (plugin->instance().getCurrentProgram(), program.index);
        EXPECT_EQ (textOf (param ("Program")), plugin->programNames()[program.index]);
        EXPECT_EQ (textOf (param ("Character")), program.character);
        EXPECT_EQ (textOf (param ("Flavor")), program.flavor);
        EXPECT_EQ (textOf (param ("HPF")), program.hpf);
        EXPECT_EQ (textOf (param ("Tone")), program.tone);
        EXPECT_EQ (textOf (param ("Output")), program.output);
        EXPECT_EQ (input->getCurrentValueAsText(), "-6.0 dB");
        EXPECT_EQ (bypass->getCurrentValueAsText(), "On");
    }
}

//==============================================================================
TEST_F (HostedPluginTest, FreshStateIsThePluginBlockThenTheWrapperBlock)
{
    const auto state = plugin->getComponentState();
    const auto parts = ComponentState::split (state);

    // The plug-in's block: the "PARAMETERS" tree with seven children.
    ASSERT_EQ (parts.pluginBlock.getSize(), 284u);
    const auto* bytes = static_cast<const unsigned char*> (parts.pluginBlock.getData());
    const unsigned char head[] { 'P', 'A', 'R', 'A', 'M', 'E', 'T', 'E', 'R', 'S', 0, 0, 1, 7 };
    EXPECT_TRUE (std::equal (std::begin (head), std::end (head), bytes));

    const auto tree = pluginTree (state);
    ASSERT_TRUE (tree.hasType ("PARAMETERS"));
    ASSERT_EQ (tree.getNumChildren(), 7);
    const char* ids[] { "bypass", "character", "flavor", "hpf", "input", "output", "tone" };
    const double defaults[] { 0.0, 40.0, 0.0, 20.0, 0.0, 0.0, 0.0 };

    for (int i = 0; i < 7; ++i)
    {
        EXPECT_EQ (tree.getChild (i).getProperty ("id").toString(), ids[i]);
        EXPECT_EQ ((double) tree.getChild (i).getProperty ("value"), defaults[i]) << ids[i];
    }

    // The wrapper's block, byte for byte: 8 zero bytes, the "JUCEPrivateData" tree holding
    // "Bypass" = false (a boolean is a count of 1 and the type byte 3), its 29-byte length,
    // and the marker.
    std::vector<unsigned char> wrapper (8, 0);
    const std::string treeBytes ("JUCEPrivateData\0" "\x01\x01" "Bypass\0" "\x01\x01\x03" "\x00", 29);
    wrapper.insert (wrapper.end(), treeBytes.begin(), treeBytes.end());
    for (int i = 0; i < 8; ++i)
        wrapper.push_back (i == 0 ? 29 : 0);
    const std::string marker ("JUCEPrivateData");
    wrapper.insert (wrapper.end(), marker.begin(), marker.end());

    const auto* wrapperBytes = static_cast<const unsigned char*> (parts.wrapperBlock.getData());
    EXPECT_EQ (std::vector<unsigned char> (wrapperBytes, wrapperBytes + parts.wrapperBlock.getSize()), wrapper);
    EXPECT_EQ (state.getSize(), 284u + wrapper.size());
}

TEST_F (HostedPluginTest, StateRoundTripsIntoASecondInstance)
{
    // Program 3, then every parameter away from it, the host bypass included.
    plugin->instance().setCurrentProgram (3);
    const std::pair<const char*, float> changes[] {
        { "Character", 0.723f }, { "Flavor", 0.5f }, { "Input", 0.3f }, { "HPF", 0.61f },
        { "Tone", 0.137f },      { "Output", 0.9f }, { "Bypass", 1.0f },
    };
    for (const auto& [name, value] : changes)
        param (name)->setValueNotifyingHost (value);
    plugin->parameters()[7]->setValueNotifyingHost (1.0f);

    const auto sourceState = plugin->getComponentState();
    juce::StringArray sourceTexts;
    for (int i = 0; i < 8; ++i)
        sourceTexts.add (plugin->parameters()[i]->getCurrentValueAsText());

    EXPECT_TRUE ((bool) ComponentState::split (sourceState).wrapperData.getProperty ("Bypass"));

    // Restored the way a JUCE host reloads its own project, and from the raw component stream
    // the way any VST3 host does.
    struct Path
    {
        const char* name;
        std::function<void (HostedPlugin& from, HostedPlugin& to)> restore;
    };
    const Path paths[] {
        { "host container", [] (HostedPlugin& from, HostedPlugin& to) { to.setState (from.getState()); } },
        { "component stream", [] (HostedPlugin& from, HostedPlugin& to) { to.setComponentState (from.getComponentState()); } },
    };

    for (const auto& path : paths)
    {
        SCOPED_TRACE (path.name);
        auto second = loadPlugin();
        ASSERT_NE (second, nullptr);

        path.restore (*plugin, *second);

        EXPECT_EQ (second->getComponentState(), sourceState);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ (second->parameters()[i]->getCurrentValueAsText(), sourceTexts[i]) << i;

        // The program is not part of the state: the second instance keeps its own.
        EXPECT_EQ (second->instance().getCurrentProgram(), 0);
    }
}

TEST_F (HostedPluginTest, UnreadableStatesChangeNoParameter)
{
    // A project state whose plug-in part is lost or garbled, reaching the plug-in through the
    // whole host and wrapper path.
    const std::pair<const char*, float> changes[] {
        { "Character", 0.9f }, { "Flavor", 1.0f }, { "HPF", 0.5f }, { "Output", 0.2f },
    };
    for (const auto& [name, value] : changes)
        param (name)->setValueNotifyingHost (value);

    const auto before = plugin->getComponentState();
    const auto parts = ComponentState::split (before);
    ASSERT_FALSE (parts.wrapperBlock.isEmpty());

    juce::StringArray texts;
    for (int i = 0; i < 7; ++i)
        texts.add (plugin->parameters()[i]->getCurrentValueAsText());

    juce::MemoryBlock random (300);
    juce::Random generator (2024);
    for (size_t i = 0; i < random.getSize(); ++i)
        random[i] = (char) (1 + generator.nextInt (255));

    auto zeroFirst = before;
    zeroFirst[0] = 0;

    struct Case
    {
        const char* name;
        juce::MemoryBlock state;
        bool savesTheSameBytes;
    };
    const Case cases[] {
        { "empty", {}, true },
        { "first byte zero", zeroFirst, true },
        { "the wrapper's block alone", parts.wrapperBlock, true },
        // Read as some tree that names no parameter, which then stands in the saved state.
        { "random bytes", random, false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        plugin->setComponentState (c.state);

        for (int i = 0; i < 7; ++i)
            EXPECT_EQ (plugin->parameters()[i]->getCurrentValueAsText(), texts[i]) << i;

        if (c.savesTheSameBytes)
            EXPECT_EQ (plugin->getComponentState(), before);
    }

    // The wrapper's block on its own still carries the host bypass to the instance.
    auto bypassed = ComponentState::split ([&] {
        auto other = loadPlugin();
        other->parameters()[7]->setValueNotifyingHost (1.0f);
        return other->getComponentState();
    }());
    plugin->setComponentState (bypassed.wrapperBlock);
    EXPECT_EQ (plugin->parameters()[7]->getCurrentValueAsText(), "On");
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ (plugin->parameters()[i]->getCurrentValueAsText(), texts[i]) << i;
}

//==============================================================================
TEST_F (HostedPluginTest, AcceptsMatchingMonoOrStereoBusesOnly)
{
    const auto mono = juce::AudioChannelSet::mono();
    const auto stereo = juce::AudioChannelSet::stereo();

    struct Case
    {
        juce::AudioChannelSet in, out;
        bool accepted;
    };

    for (const auto& c : { Case { mono, mono, true }, Case { stereo, stereo, true },
                           Case { mono, stereo, false }, Case { stereo, mono, false } })
    {
        SCOPED_TRACE ((c.in.getDescription() + " to " + c.out.getDescription()).toStdString());
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (c.in);
        layout.outputBuses.add (c.out);
        EXPECT_EQ (plugin->instance().checkBusesLayoutSupported (layout), c.accepted);
    }
}

TEST_F (HostedPluginTest, ProcessesBlocksAndHostBypassPassesAudioThroughUntouched)
{
    for (int channels : { 2, 1 })
    {
        SCOPED_TRACE (std::to_string (channels) + " channel(s)");
        ASSERT_TRUE (plugin->prepare (44100.0, 256, channels));

        juce::AudioBuffer<float> input (channels, 256);
        for (int ch = 0; ch < channels; ++ch)
            for (int i = 0; i < 256; ++i)
                input.setSample (ch, i, 0.5f * std::sin (0.05f * (float) (i + 7 * ch)));

        // Whatever the chain does, it hands back a full block of finite samples.
        plugin->parameters()[7]->setValueNotifyingHost (0.0f);
        for (int block = 0; block < 8; ++block)
        {
            auto buffer = input;
            plugin->process (buffer);
            ASSERT_EQ (buffer.getNumChannels(), channels);
            ASSERT_EQ (buffer.getNumSamples(), 256);
            for (int ch = 0; ch < channels; ++ch)
                for (int i = 0; i < 256; ++i)
                    ASSERT_TRUE (std::isfinite (buffer.getSample (ch, i)));
        }

        // The host's bypass hands every block back as it came.
        plugin->parameters()[7]->setValueNotifyingHost (1.0f);
        for (int block = 0; block < 4; ++block)
        {
            auto buffer = input;
            plugin->process (buffer);
            for (int ch = 0; ch < channels; ++ch)
                for (int i = 0; i < 256; ++i)
                    ASSERT_EQ (buffer.getSample (ch, i), input.getSample (ch, i)) << "block " << block;
        }

        plugin->release();
    }
}

//==============================================================================
TEST_F (HostedPluginTest, EditorViewOpensInAWindowAndClosesAgain)
{
    for (int round = 0; round < 2; ++round)
    {
        SCOPED_TRACE ("round " + std::to_string (round));
        auto* window = plugin->openEditor();
        ASSERT_NE (window, nullptr);
        EXPECT_EQ (plugin->openEditor(), window);

        pumpMessages (200);
        EXPECT_TRUE (window->window().isOnDesktop());
        EXPECT_GT (window->viewBounds().getWidth(), 10);
        EXPECT_GT (window->viewBounds().getHeight(), 10);
        EXPECT_EQ (plugin->instance().getActiveEditor(), &window->editor());

        plugin->closeEditor();
        EXPECT_EQ (plugin->editorWindow(), nullptr);
        EXPECT_EQ (plugin->instance().getActiveEditor(), nullptr);
        pumpMessages (50);
    }
}
} // namespace
