#include "HostLayer.h"

#include <pluginterfaces/base/funknownimpl.h>
#include <pluginterfaces/base/smartpointer.h>
#include <public.sdk/source/common/memorystream.h>
#include <public.sdk/source/vst/hosting/hostclasses.h>

#include <cstring>

#ifndef VARNU_BUILT_BUNDLE
 #error "VARNU_BUILT_BUNDLE must name the built bundle"
#endif

namespace qel::host
{
//==============================================================================
juce::File builtBundle()
{
    const auto overridden = juce::SystemStats::getEnvironmentVariable ("VARNU_HOST_BUNDLE", {});
    return juce::File (overridden.isNotEmpty() ? overridden : juce::String::fromUTF8 (VARNU_BUILT_BUNDLE));
}

void pumpMessages (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

UidBytes toBytes (const Steinberg::TUID uid)
{
    UidBytes bytes {};
    std::memcpy (bytes.data(), uid, bytes.size());
    return bytes;
}

UidBytes toBytes (const VST3::UID& uid)
{
    return toBytes (uid.data());
}

std::string toUtf8 (const Steinberg::char16* text)
{
    static_assert (sizeof (Steinberg::char16) == sizeof (juce::CharPointer_UTF16::CharType));
    return juce::String (juce::CharPointer_UTF16 (reinterpret_cast<const juce::CharPointer_UTF16::CharType*> (text)))
        .toStdString();
}

//==============================================================================
SdkModule::SdkModule (const juce::File& bundle)
{
    module = VST3::Hosting::Module::create (bundle.getFullPathName().toStdString(), loadError);

    if (module != nullptr && ! module->getFactory().get())
    {
        loadError = "the module returned no factory";
        module.reset();
    }

    host = { new Steinberg::Vst::HostApplication(),
             [] (Steinberg::FUnknown* h) { delete static_cast<Steinberg::Vst::HostApplication*> (h); } };
}

SdkModule::~SdkModule()
{
    // The module's factory may still hold the host context until the module unloads.
    module.reset();
}

Steinberg::PFactoryInfo SdkModule::factoryInfo() const
{
    Steinberg::PFactoryInfo info {};
    factory().get()->getFactoryInfo (&info);
    return info;
}

int SdkModule::countClasses() const
{
    return static_cast<int> (factory().get()->countClasses());
}

std::vector<Steinberg::PClassInfo> SdkModule::classInfos() const
{
    std::vector<Steinberg::PClassInfo> result;

    for (Steinberg::int32 i = 0; i < countClasses(); ++i)
    {
        Steinberg::PClassInfo info {};

        if (factory().get()->getClassInfo (i, &info) != Steinberg::kResultOk)
            break;

        result.push_back (info);
    }

    return result;
}

std::vector<Steinberg::PClassInfo2> SdkModule::classInfos2() const
{
    std::vector<Steinberg::PClassInfo2> result;
    auto factory2 = Steinberg::U::cast<Steinberg::IPluginFactory2> (factory().get());

    for (Steinberg::int32 i = 0; factory2 != nullptr && i < countClasses(); ++i)
    {
        Steinberg::PClassInfo2 info {};

        if (factory2->getClassInfo2 (i, &info) != Steinberg::kResultOk)
            break;

        result.push_back (info);
    }

    return result;
}

std::vector<Steinberg::PClassInfoW> SdkModule::classInfosW() const
{
    std::vector<Steinberg::PClassInfoW> result;
    auto factory3 = Steinberg::U::cast<Steinberg::IPluginFactory3> (factory().get());

    for (Steinberg::int32 i = 0; factory3 != nullptr && i < countClasses(); ++i)
    {
        Steinberg::PClassInfoW info {};

        if (factory3->getClassInfoUnicode (i, &info) != Steinberg::kResultOk)
            break;

        result.push_back (info);
    }

    return result;
}

Steinberg::FUnknown* SdkModule::hostContext() const
{
    return host.get();
}

std::optional<std::string> readCompatibilityJson (Steinberg::IPluginCompatibility& compatibility)
{
    auto stream = Steinberg::owned (new Steinberg::MemoryStream());

    if (compatibility.getCompatibilityJSON (stream.get()) != Steinberg::kResultOk)
        return std::nullopt;

    return std::string (stream->getData(), static_cast<size_t> (stream->getSize()));
}

//==============================================================================
ComponentState ComponentState::split (const juce::MemoryBlock& componentState)
{
    static constexpr char magic[] = "JUCEPrivateData";
    constexpr size_t magicSize = sizeof (magic) - 1;
    const auto* bytes = static_cast<const char*> (componentState.getData());
    const auto size = componentState.getSize();

    ComponentState parts;
    parts.pluginBlock = componentState;

    if (size < magicSize + 16 || std::memcmp (bytes + size - magicSize, magic, magicSize) != 0)
        return parts;

    juce::uint64 treeSize = 0;
    std::memcpy (&treeSize, bytes + size - magicSize - 8, 8);
    treeSize = juce::ByteOrder::swapIfBigEndian (treeSize);

    if (treeSize > size - magicSize - 16)
        return parts;

    const auto wrapperSize = (size_t) treeSize + magicSize + 16;
    const auto pluginSize = size - wrapperSize;

    for (size_t i = 0; i < 8; ++i)
        if (bytes[pluginSize + i] != 0)
            return parts;

    parts.pluginBlock = juce::MemoryBlock (bytes, pluginSize);
    parts.wrapperBlock = juce::MemoryBlock (bytes + pluginSize, wrapperSize);
    parts.wrapperData = juce::ValueTree::readFromData (bytes + pluginSize + 8, (size_t) treeSize);
    return parts;
}

//==============================================================================
namespace
{
Steinberg::Vst::IComponent* componentOf (const juce::AudioPluginInstance& instance)
{
    struct Visitor final : juce::ExtensionsVisitor
    {
        void visitVST3Client (const VST3Client& client) override { component = client.getIComponentPtr(); }
        Steinberg::Vst::IComponent* component = nullptr;
    };

    Visitor visitor;
    instance.getExtensions (visitor);
    return visitor.component;
}
} // namespace

std::unique_ptr<HostedPlugin> HostedPlugin::load (const juce::File& bundle, juce::String& error,
                                                  double initialSampleRate, int initialBlockSize)
{
    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> found;
    format.findAllTypesForFile (found, bundle.getFullPathName());

    if (found.size() != 1)
    {
        error = "expected one plug-in in " + bundle.getFullPathName() + ", found " + juce::String (found.size());
        return nullptr;
    }

    auto instance = format.createInstanceFromDescription (*found[0], initialSampleRate, initialBlockSize, error);

    if (instance == nullptr)
    {
        if (error.isEmpty())
            error = "the plug-in could not be created";

        return nullptr;
    }

    return std::unique_ptr<HostedPlugin> (new HostedPlugin (std::move (instance), *found[0]));
}

HostedPlugin::HostedPlugin (std::unique_ptr<juce::AudioPluginInstance> instance, juce::PluginDescription description)
    : plugin (std::move (instance)), desc (std::move (description))
{
}

HostedPlugin::~HostedPlugin()
{
    closeEditor();
    release();
    plugin.reset();
}

const juce::Array<juce::AudioProcessorParameter*>& HostedPlugin::parameters() const
{
    return plugin->getParameters();
}

juce::AudioProcessorParameter* HostedPlugin::findParameter (const juce::String& name) const
{
    for (auto* parameter : parameters())
        if (parameter->getName (1024) == name)
            return parameter;

    return nullptr;
}

Steinberg::uint32 HostedPlugin::hostParameterId (const juce::AudioProcessorParameter& parameter)
{
    // The framework's host reports the VST3 ParamID, written in decimal, as the parameter's ID.
    if (auto* hosted = dynamic_cast<const juce::HostedAudioProcessorParameter*> (&parameter))
        return static_cast<Steinberg::uint32> (hosted->getParameterID().getLargeIntValue());

    return 0;
}

bool HostedPlugin::prepare (double sampleRate, int blockSize, int numChannels)
{
    release();

    const auto set = numChannels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (set);
    layout.outputBuses.add (set);

    if (! plugin->setBusesLayout (layout))
        return false;

    plugin->prepareToPlay (sampleRate, blockSize);
    midi.ensureSize (256);
    prepared = true;
    return true;
}

void HostedPlugin::process (juce::AudioBuffer<float>& buffer)
{
    jassert (prepared);
    midi.clear();
    plugin->processBlock (buffer, midi);
}

void HostedPlugin::release()
{
    if (prepared)
        plugin->releaseResources();

    prepared = false;
}

juce::MemoryBlock HostedPlugin::getState()
{
    juce::MemoryBlock state;
    plugin->getStateInformation (state);
    return state;
}

void HostedPlugin::setState (const juce::MemoryBlock& state)
{
    plugin->setStateInformation (state.getData(), static_cast<int> (state.getSize()));
}

juce::MemoryBlock HostedPlugin::getComponentState()
{
    auto* component = componentOf (*plugin);

    if (component == nullptr)
        return {};

    auto stream = Steinberg::owned (new Steinberg::MemoryStream());

    if (component->getState (stream.get()) != Steinberg::kResultOk)
        return {};

    return { stream->getData(), static_cast<size_t> (stream->getSize()) };
}

void HostedPlugin::setComponentState (const juce::MemoryBlock& componentState)
{
    // The framework's host keeps a project's state as its own container around the component's
    // stream; handing it one with just that stream makes it restore the component, then the
    // controller from the component's stream, then re-read all parameters, like a DAW does.
    juce::XmlElement container ("VST3PluginState");
    container.createNewChildElement ("IComponent")->addTextElement (componentState.toBase64Encoding());

    juce::MemoryBlock hostState;
    juce::AudioProcessor::copyXmlToBinary (container, hostState);
    setState (hostState);
}

juce::StringArray HostedPlugin::programNames()
{
    juce::StringArray names;

    for (int i = 0; i < plugin->getNumPrograms(); ++i)
        names.add (plugin->getProgramName (i));

    return names;
}

//==============================================================================
HostedPlugin::EditorWindow::EditorWindow (std::unique_ptr<juce::AudioProcessorEditor> editor, const juce::String& title)
    : hostEditor (std::move (editor)),
      frame (std::make_unique<juce::DocumentWindow> (title, juce::Colours::black, 0, true))
{
    frame->setUsingNativeTitleBar (false);
    frame->setContentNonOwned (hostEditor.get(), true);
    frame->setTopLeftPosition (40, 40);
    frame->setVisible (true);
}

HostedPlugin::EditorWindow::~EditorWindow()
{
    // The plug-in's view goes first (removed, then released), while the window still exists;
    // then the window.
    frame->clearContentComponent();
    hostEditor.reset();
    frame.reset();
}

juce::Rectangle<int> HostedPlugin::EditorWindow::viewBounds() const
{
    return hostEditor->getLocalBounds();
}

HostedPlugin::EditorWindow* HostedPlugin::openEditor()
{
    if (editorWin != nullptr)
        return editorWin.get();

    std::unique_ptr<juce::AudioProcessorEditor> editor (plugin->createEditorIfNeeded());

    if (editor == nullptr)
        return nullptr;

    editorWin.reset (new EditorWindow (std::move (editor), desc.name));
    return editorWin.get();
}

void HostedPlugin::closeEditor()
{
    editorWin.reset();
}
} // namespace qel::host
