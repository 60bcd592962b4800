#pragma once

/*  A small VST3 host for tests that load the BUILT bundle the way a DAW does.

    Two views of the same module:

    - SdkModule: the module as a scanner sees it, through the VST3 SDK's own hosting classes
      (VST3::Hosting::Module): dlopen of Contents/<arch>-linux/<name>.so, ModuleEntry,
      GetPluginFactory, then the factory's IPluginFactory/2/3 class tables, and raw objects
      created by class ID.
    - HostedPlugin: one plug-in instance created the way a JUCE-based DAW creates it, through
      juce::VST3PluginFormat: the framework's host talks to the module over the VST3 interfaces
      only (component, controller, views, units, streams), so everything seen here crossed
      the module boundary.

    Everything in here must run on the message thread (the thread that runs the tests, see
    tests/support/JuceTestMain.cpp), except HostedPlugin::process, which may also run on a thread that stands
    in for the audio thread while the message thread is not using the instance.

    Typical use:

        juce::String error;
        auto plugin = qel::host::HostedPlugin::load (qel::host::builtBundle(), error);
        ASSERT_NE (plugin, nullptr) << error;

        plugin->prepare (48000.0, 512);                 // stereo in and out
        juce::AudioBuffer<float> block (2, 512);
        plugin->process (block);                        // one block, in place

        auto* hpf = plugin->findParameter ("HPF");      // host parameters, by display name
        hpf->setValueNotifyingHost (0.5f);

        auto state = plugin->getComponentState();       // the bytes the plug-in hands a DAW

        if (auto* window = plugin->openEditor())        // the plug-in's view in a desktop window
        {
            qel::host::pumpMessages (200);
            auto size = window->viewBounds();
            plugin->closeEditor();
        }
*/

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <pluginterfaces/base/ipluginbase.h>
#include <pluginterfaces/base/iplugincompatibility.h>
#include <pluginterfaces/vst/ivstcomponent.h>
#include <public.sdk/source/vst/hosting/module.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qel::host
{
//==============================================================================
/** The bundle this test binary was built against ("<build>/QelVarnu_artefacts/<config>/VST3/
    QEL VARNU.vst3"), or the directory named by the environment variable VARNU_HOST_BUNDLE
    when that is set (to run the same tests against an installed copy). */
juce::File builtBundle();

/** Runs the message loop for the given time, so that timers, asynchronous updates, X events
    and the run-loop handlers a plug-in registered with the host get delivered. */
void pumpMessages (int milliseconds);

/** The 16 bytes of a class or interface ID exactly as they are held in memory. */
using UidBytes = std::array<unsigned char, 16>;
UidBytes toBytes (const Steinberg::TUID uid);
UidBytes toBytes (const VST3::UID& uid);

/** A UTF-16 string of the SDK (String128 and the like) as UTF-8. */
std::string toUtf8 (const Steinberg::char16* text);

//==============================================================================
/** The module as the SDK's hosting classes load it. Unloads (ModuleExit, dlclose) when the
    last reference to the underlying VST3::Hosting::Module goes; objects created from it must
    be released before that. */
class SdkModule
{
public:
    /** Loads the bundle; on failure isLoaded() is false and error() says why. */
    explicit SdkModule (const juce::File& bundle = builtBundle());
    ~SdkModule();

    bool isLoaded() const noexcept { return module != nullptr; }
    const std::string& error() const noexcept { return loadError; }

    VST3::Hosting::Module& get() const { return *module; }
    const VST3::Hosting::PluginFactory& factory() const { return module->getFactory(); }

    /** IPluginFactory::getFactoryInfo, as the module fills it in. */
    Steinberg::PFactoryInfo factoryInfo() const;

    /** Every class through the plain, extended (IPluginFactory2) and UTF-16 (IPluginFactory3)
        queries, in factory order, for indices 0 .. countClasses() - 1. An entry is missing
        (the vector is shorter) when the factory refuses the query or lacks the interface. */
    int countClasses() const;
    std::vector<Steinberg::PClassInfo> classInfos() const;
    std::vector<Steinberg::PClassInfo2> classInfos2() const;
    std::vector<Steinberg::PClassInfoW> classInfosW() const;

    /** Creates an object of a class by ID and asks it for an interface; null when the factory
        refuses. The object lives as long as the returned pointer. */
    template <typename Interface>
    Steinberg::IPtr<Interface> create (const Steinberg::TUID classId) const
    {
        return factory().createInstance<Interface> (VST3::UID::fromTUID (classId));
    }

    /** A host context (the SDK's HostApplication) to hand to IPluginBase::initialize. */
    Steinberg::FUnknown* hostContext() const;

private:
    VST3::Hosting::Module::Ptr module;
    std::string loadError;
    // The SDK's HostApplication counts no references (addRef and release do nothing): it is
    // deleted here, after the module has been unloaded.
    std::unique_ptr<Steinberg::FUnknown, void (*) (Steinberg::FUnknown*)> host { nullptr, nullptr };
};

/** Streams the JSON out of a compatibility object (IPluginCompatibility::getCompatibilityJSON);
    nullopt when the call fails. */
std::optional<std::string> readCompatibilityJson (Steinberg::IPluginCompatibility& compatibility);

//==============================================================================
/** A component state as the framework's VST3 wrapper writes it: the plug-in's own block,
    then the wrapper's trailing block (8 zero bytes, a "JUCEPrivateData" value tree, its
    length as 8 bytes little-endian, and the 15 characters "JUCEPrivateData"). */
struct ComponentState
{
    juce::MemoryBlock pluginBlock;    // everything, when there is no wrapper block
    juce::MemoryBlock wrapperBlock;   // the whole trailing block, empty when there is none
    juce::ValueTree wrapperData;      // the tree inside it (holds "Bypass"), invalid if none

    /** Splits raw component bytes; a trailing block that does not add up counts as none. */
    static ComponentState split (const juce::MemoryBlock& componentState);
};

//==============================================================================
/** One plug-in instance, created and driven the way a JUCE-based DAW does it. */
class HostedPlugin
{
public:
    /** Scans the bundle with juce::VST3PluginFormat, expects one audio-module class in it and
        creates an instance of it. Returns null with a reason in error on any failure. */
    static std::unique_ptr<HostedPlugin> load (const juce::File& bundle, juce::String& error,
                                               double initialSampleRate = 48000.0,
                                               int initialBlockSize = 512);

    /** Closes an open editor, deactivates and destroys the instance. */
    ~HostedPlugin();

    juce::AudioPluginInstance& instance() noexcept { return *plugin; }
    const juce::PluginDescription& description() const noexcept { return desc; }

    //==========================================================================
    /** The host's parameter list, in the controller's order. */
    const juce::Array<juce::AudioProcessorParameter*>& parameters() const;

    /** The first parameter with this display name, or null. */
    juce::AudioProcessorParameter* findParameter (const juce::String& name) const;

    /** The VST3 parameter ID under which a host stores automation for this parameter. */
    static Steinberg::uint32 hostParameterId (const juce::AudioProcessorParameter& parameter);

    //==========================================================================
    /** Sets the bus layout (1 = mono, 2 = stereo, in and out alike) and activates processing.
        Returns false when the plug-in refuses the layout. */
    bool prepare (double sampleRate, int blockSize, int numChannels = 2);

    /** Processes one block in place; the buffer needs the prepared number of channels and at
        most the prepared block size. Parameter changes made since the last block reach the
        plug-in with this block. */
    void process (juce::AudioBuffer<float>& buffer);

    /** Deactivates processing (releaseResources). */
    void release();

    //==========================================================================
    /** The whole host-side state as a JUCE host stores it in a project (the component's and
        the controller's streams wrapped in the host's own container). */
    juce::MemoryBlock getState();
    void setState (const juce::MemoryBlock& state);

    /** IComponent::getState: the raw bytes the plug-in hands to any VST3 host. */
    juce::MemoryBlock getComponentState();

    /** Restores raw component bytes the way a DAW reloads a project: IComponent::setState,
        then IEditController::setComponentState, then the host re-reads every parameter. */
    void setComponentState (const juce::MemoryBlock& componentState);

    //==========================================================================
    /** The program list the host shows ("Factory Presets" in the root unit). */
    juce::StringArray programNames();

    //==========================================================================
    /** A desktop window around the host-side editor, which embeds the plug-in's view. */
    class EditorWindow
    {
    public:
        ~EditorWindow();

        juce::AudioProcessorEditor& editor() noexcept { return *hostEditor; }
        juce::DocumentWindow& window() noexcept { return *frame; }

        /** The size the plug-in's view asked for, as the host-side editor follows it. */
        juce::Rectangle<int> viewBounds() const;

    private:
        friend class HostedPlugin;
        EditorWindow (std::unique_ptr<juce::AudioProcessorEditor> editor, const juce::String& title);

        std::unique_ptr<juce::AudioProcessorEditor> hostEditor;
        std::unique_ptr<juce::DocumentWindow> frame;
    };

    /** Asks the plug-in for its view ("editor") and shows it in a window; returns the open
        window when one is already open, null when the plug-in offers no view. The window is
        owned here and closes with closeEditor() or with this object. */
    EditorWindow* openEditor();
    EditorWindow* editorWindow() noexcept { return editorWin.get(); }
    void closeEditor();

private:
    HostedPlugin (std::unique_ptr<juce::AudioPluginInstance> instance, juce::PluginDescription description);

    std::unique_ptr<juce::AudioPluginInstance> plugin;
    juce::PluginDescription desc;
    std::unique_ptr<EditorWindow> editorWin;
    juce::MidiBuffer midi;
    bool prepared = false;
};
} // namespace qel::host
