// The stress test through a VST3 host: the BUILT bundle, loaded by the framework's VST3
// hosting as a DAW loads it (see tests/host/HostLayer.h).
//
//   varnu_host_stress            about 20 s; VARNU_STRESS_SECONDS and VARNU_STRESS_SEED change it
#include "HostLayer.h"
#include "StressScenario.h"

#include <elf.h>
#include <link.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "support/IgnoreXErrors.h" // last: Xlib's macros would clash with the framework's names

namespace
{
struct LoadedObject
{
    std::string path;
    std::uintptr_t bias = 0, codeBegin = ~std::uintptr_t (0), codeEnd = 0;
};

/** The executable code of the first loaded object whose path ends with the given text. */
bool findLoadedObject (const char* pathEnd, LoadedObject& object)
{
    struct Search
    {
        const char* pathEnd;
        LoadedObject* found;
        bool ok;
    } search { pathEnd, &object, false };

    dl_iterate_phdr (
        [] (dl_phdr_info* info, size_t, void* data)
        {
            auto& s = *static_cast<Search*> (data);

            if (info->dlpi_name == nullptr || ! juce::String (info->dlpi_name).endsWith (s.pathEnd))
                return 0;

            auto& o = *s.found;
            o.path = info->dlpi_name;
            o.bias = info->dlpi_addr;

            for (int i = 0; i < info->dlpi_phnum; ++i)
            {
                const auto& segment = info->dlpi_phdr[i];

                if (segment.p_type == PT_LOAD && (segment.p_flags & PF_X) != 0)
                {
                    o.codeBegin = std::min<std::uintptr_t> (o.codeBegin, info->dlpi_addr + segment.p_vaddr);
                    o.codeEnd = std::max<std::uintptr_t> (o.codeEnd, info->dlpi_addr + segment.p_vaddr + segment.p_memsz);
                }
            }

            s.ok = o.codeBegin < o.codeEnd;
            return 1;
        },
        &search);

    return search.ok;
}

/** Address ranges, in the loaded object, of the functions with these (mangled) names and
    of their split-off cold parts, from the object file's symbol table. */
std::vector<std::pair<std::uintptr_t, std::uintptr_t>> functionRanges (const LoadedObject& object,
                                                                      std::initializer_list<const char*> names)
{
    std::vector<std::pair<std::uintptr_t, std::uintptr_t>> ranges;
    juce::MemoryBlock file;

    if (! juce::File (object.path).loadFileAsData (file) || file.getSize() < sizeof (Elf64_Ehdr))
        return ranges;

    const auto* base = static_cast<const char*> (file.getData());
    const auto size = file.getSize();
    const auto* header = reinterpret_cast<const Elf64_Ehdr*> (base);

    if (std::memcmp (header->e_ident, ELFMAG, SELFMAG) != 0 || header->e_ident[EI_CLASS] != ELFCLASS64
        || header->e_shoff + (size_t) header->e_shnum * sizeof (Elf64_Shdr) > size)
        return ranges;

    const auto* sections = reinterpret_cast<const Elf64_Shdr*> (base + header->e_shoff);

    for (int i = 0; i < header->e_shnum; ++i)
    {
        if (sections[i].sh_type != SHT_SYMTAB || sections[i].sh_link >= header->e_shnum)
            continue;

        const auto& symbolSection = sections[i];
        const auto& stringSection = sections[symbolSection.sh_link];

        if (symbolSection.sh_offset + symbolSection.sh_size > size || stringSection.sh_offset + stringSection.sh_size > size)
            continue;

        const auto* symbols = reinterpret_cast<const Elf64_Sym*> (base + symbolSection.sh_offset);
        const auto count = symbolSection.sh_size / sizeof (Elf64_Sym);

        for (size_t k = 0; k < count; ++k)
        {
            const auto& symbol = symbols[k];

            if (ELF64_ST_TYPE (symbol.st_info) != STT_FUNC || symbol.st_name >= stringSection.sh_size || symbol.st_size == 0)
                continue;

            const juce::String name (base + stringSection.sh_offset + symbol.st_name);

            for (const auto* wanted : names)
                if (name == wanted || name == juce::String (wanted) + ".cold")
                    ranges.emplace_back (object.bias + symbol.st_value, object.bias + symbol.st_value + symbol.st_size);
        }
    }

    return ranges;
}

/** Tells the allocation counter where the plug-in's code is and what it may leave to others. */
bool describePluginCode()
{
    LoadedObject plugin, loader;

    if (! findLoadedObject ("/QEL VARNU.so", plugin))
    {
        std::printf ("the plug-in's module is not among the loaded objects\n");
        return false;
    }

    stress::setPluginCodeRange (plugin.codeBegin, plugin.codeEnd);

    // Everything under the processor's own processBlock is the plug-in's.
    const auto processing = functionRanges (plugin, { "_ZN14VarnuProcessor12processBlockERN4juce11AudioBufferIfEERNS0_10MidiBufferE" });

    if (processing.empty())
    {
        std::printf ("VarnuProcessor::processBlock is not in the symbol table of %s\n", plugin.path.c_str());
        return false;
    }

    for (const auto& [begin, end] : processing)
        stress::addRequiredCodeRange (begin, end);

    // Around it, the framework's wrapper hands the host's parameter changes to the
    // parameters, whose listeners include the editor's attachments: off the message thread
    // they post an asynchronous update, and the framework's message queue may grow for it.
    for (const auto& [begin, end] : functionRanges (plugin, { "_ZN4juce12AsyncUpdater18triggerAsyncUpdateEv" }))
        stress::addExemptCodeRange (begin, end);

    // The first touch of the module's thread-local storage on a new thread makes the
    // dynamic loader allocate that thread's block.
    if (findLoadedObject ("ld-linux-x86-64.so.2", loader))
        stress::addExemptCodeRange (loader.codeBegin, loader.codeEnd);

    return true;
}

class HostTarget final : public stress::Target
{
public:
    explicit HostTarget (std::unique_ptr<qel::host::HostedPlugin> p) : plugin (std::move (p)) {}

    std::vector<juce::AudioProcessorParameter*> pluginParameters() override
    {
        // The host lists the plug-in's seven first, then the wrapper's bypass and program.
        static const char* const names[] { "Character", "Flavor", "Input", "HPF", "Tone", "Output", "Bypass" };
        std::vector<juce::AudioProcessorParameter*> found;
        const auto& all = plugin->parameters();

        for (int i = 0; i < 7 && i < all.size(); ++i)
            if (all[i]->getName (64) == names[i])
                found.push_back (all[i]);

        return found;
    }

    juce::AudioProcessorParameter* hostBypass() override { return plugin->instance().getBypassParameter(); }

    bool prepare (double sampleRate, int maxBlockSize, int numChannels) override
    {
        channels = numChannels;
        return plugin->prepare (sampleRate, maxBlockSize, numChannels);
    }

    void process (juce::AudioBuffer<float>& block) override { plugin->process (block); }

    // The host promises the plug-in its largest block (IAudioProcessor::setupProcessing), and
    // the framework's wrapper copies each block into buffers of that size without a check.
    bool acceptsLongerBlocks() const override { return false; }

    void flush() override
    {
        juce::AudioBuffer<float> empty (channels, 0);
        plugin->process (empty);
    }

    void setProgram (int index) override { plugin->instance().setCurrentProgram (index); }

    juce::MemoryBlock saveState() override { return plugin->getComponentState(); }
    void restoreState (const juce::MemoryBlock& state) override { plugin->setComponentState (state); }

    size_t pluginStateBytes (const juce::MemoryBlock& state) override
    {
        return qel::host::ComponentState::split (state).pluginBlock.getSize();
    }

    juce::MemoryBlock saveAfterRestoringInNewInstance (const juce::MemoryBlock& state) override
    {
        juce::String error;
        auto fresh = qel::host::HostedPlugin::load (qel::host::builtBundle(), error);

        if (fresh == nullptr)
            return {};

        fresh->setComponentState (state);
        return fresh->getComponentState();
    }

    void openEditor() override { plugin->openEditor(); }
    void closeEditor() override { plugin->closeEditor(); }

    void pumpMessages (int milliseconds) override { qel::host::pumpMessages (milliseconds); }

    const char* exemptAllocationsAre() const override
    {
        return "outside processBlock: the framework's asynchronous updates of the editor's parameter attachments, "
               "the loader's per-thread storage";
    }

private:
    std::unique_ptr<qel::host::HostedPlugin> plugin;
    int channels = 2;
};
} // namespace

int main()
{
    juce::ScopedJuceInitialiser_GUI juce;
    ignoreXErrors();

    juce::String error;
    auto plugin = qel::host::HostedPlugin::load (qel::host::builtBundle(), error);

    if (plugin == nullptr)
    {
        std::printf ("cannot load %s: %s\n", qel::host::builtBundle().getFullPathName().toRawUTF8(), error.toRawUTF8());
        return 1;
    }

    if (stress::allocationCountingAvailable() && ! describePluginCode())
        return 1;

    HostTarget target (std::move (plugin));
    const auto ok = stress::runStress (target, stress::optionsFromEnvironment (20.0), "host stress");
    return ok ? 0 : 1;
}
