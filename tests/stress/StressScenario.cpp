#include "StressScenario.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <execinfo.h>
#include <limits>
#include <thread>

namespace stress
{
namespace
{
using Clock = std::chrono::steady_clock;

// The clip level as the plug-in holds it, a 32-bit float.
constexpr float clipLevel = 0.97f;

constexpr double sampleRates[] { 11025.0, 22050.0, 32000.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0 };
constexpr int preparedSizes[] { 16, 64, 127, 256, 441, 512, 1024, 2048, 4096 };

const char* const signalNames[] { "silence", "noise", "+-1e30", "denormals", "NaN and infinity bursts", "sine" };

enum class Signal
{
    silence,
    noise,
    huge,
    denormals,
    bursts,
    sine,
    count
};

//==============================================================================
/** Faults seen on the audio thread, written into fixed storage: nothing there allocates. */
class AudioFaults
{
public:
    void add (const char* format, ...) noexcept
    {
        const auto index = count.fetch_add (1);

        if (index >= maxKept)
            return;

        va_list args;
        va_start (args, format);
        std::vsnprintf (kept[index], sizeof (kept[index]), format, args);
        va_end (args);
    }

    int size() const noexcept { return count.load(); }
    const char* get (int index) const noexcept { return kept[index]; }
    int numKept() const noexcept { return std::min (count.load(), maxKept); }

private:
    static constexpr int maxKept = 8;
    std::atomic<int> count { 0 };
    char kept[maxKept][320] {};
};

/** What the two threads share during a run. The epochs count changes of the plug-in's and
    the host's bypass switches: odd while a change is under way, so that the audio thread can
    tell a block during which nothing changed from one that may have seen a change. */
struct Shared
{
    std::atomic<bool> stop { false };
    std::atomic<std::uint32_t> pluginBypassEpoch { 0 }, hostBypassEpoch { 0 };
    std::atomic<bool> pluginBypass { false }, hostBypass { false };
    std::atomic<std::uint64_t> blocksDone { 0 };
};

struct Setup
{
    double sampleRate = 48000.0;
    int maxBlock = 512;
    int channels = 2;
    bool longerBlocks = false;
};

struct AudioFigures
{
    std::uint64_t blocks = 0, samples = 0;
    std::uint64_t emptyBlocks = 0, singleSampleBlocks = 0, oddBlocks = 0, fullBlocks = 0, longerBlocks = 0;
    std::uint64_t allocationCheckedBlocks = 0, blocksWithPluginAllocations = 0, blocksWithHostAllocations = 0,
                  blocksWithExemptAllocations = 0;
    std::uint64_t clipCheckedBlocks = 0, hostBypassedBlocks = 0, finiteCheckedBlocks = 0;
    std::uint64_t perSignal[(int) Signal::count] {};

    void add (const AudioFigures& o)
    {
        blocks += o.blocks;
        samples += o.samples;
        emptyBlocks += o.emptyBlocks;
        singleSampleBlocks += o.singleSampleBlocks;
        oddBlocks += o.oddBlocks;
        fullBlocks += o.fullBlocks;
        longerBlocks += o.longerBlocks;
        allocationCheckedBlocks += o.allocationCheckedBlocks;
        blocksWithPluginAllocations += o.blocksWithPluginAllocations;
        blocksWithHostAllocations += o.blocksWithHostAllocations;
        blocksWithExemptAllocations += o.blocksWithExemptAllocations;
        clipCheckedBlocks += o.clipCheckedBlocks;
        hostBypassedBlocks += o.hostBypassedBlocks;
        finiteCheckedBlocks += o.finiteCheckedBlocks;
        for (int i = 0; i < (int) Signal::count; ++i)
            perSignal[i] += o.perSignal[i];
    }
};

struct MessageFigures
{
    std::uint64_t runs = 0, parameterChanges = 0, bypassToggles = 0, hostBypassToggles = 0;
    std::uint64_t programSwitches = 0, outOfRangePrograms = 0, saves = 0;
    std::uint64_t restores = 0, savedRestores = 0, garbageRestores = 0, truncatedRestores = 0, mutatedRestores = 0,
                  emptyRestores = 0;
    std::uint64_t editorOpens = 0, editorCloses = 0, recordChecks = 0, roundTrips = 0;
};

//==============================================================================
class Generator
{
public:
    explicit Generator (juce::int64 seed) : random (seed) {}

    Signal fill (juce::AudioBuffer<float>& buffer, int numSamples)
    {
        if (--blocksLeft <= 0)
        {
            kind = static_cast<Signal> (random.nextInt ((int) Signal::count));
            blocksLeft = 1 + random.nextInt (40);
        }

        for (int c = 0; c < buffer.getNumChannels(); ++c)
        {
            auto* x = buffer.getWritePointer (c);

            for (int i = 0; i < numSamples; ++i)
                x[i] = next (c, i);
        }

        phase = std::fmod (phase + numSamples * 0.0571, juce::MathConstants<double>::twoPi);
        return kind;
    }

private:
    float sign() { return random.nextBool() ? 1.0f : -1.0f; }

    float next (int channel, int index)
    {
        switch (kind)
        {
            case Signal::silence: return 0.0f;
            case Signal::noise: return random.nextFloat() * 2.0f - 1.0f;
            case Signal::huge: return 1e30f * sign();
            case Signal::denormals:
                return sign() * std::numeric_limits<float>::denorm_min() * (float) (1 + random.nextInt (1 << 22));
            case Signal::bursts:
                switch (random.nextInt (48))
                {
                    case 0: return std::numeric_limits<float>::quiet_NaN();
                    case 1: return std::numeric_limits<float>::infinity();
                    case 2: return -std::numeric_limits<float>::infinity();
                    default: return random.nextFloat() * 2.0f - 1.0f;
                }
            case Signal::sine:
            case Signal::count:
                break;
        }

        return 0.8f * (float) std::sin (phase + index * 0.0571 + channel);
    }

    juce::Random random;
    Signal kind = Signal::silence;
    int blocksLeft = 0;
    double phase = 0.0;
};

int pickBlockSize (juce::Random& random, const Setup& setup)
{
    const auto r = random.nextInt (100);
    const auto max = setup.maxBlock;

    if (r < 5)
        return 0;
    if (r < 10)
        return 1;
    if (r < 45 && max >= 3)
        return 3 + 2 * random.nextInt ((max - 1) / 2);
    if (r < 65)
        return max;
    if (r < 95 || ! setup.longerBlocks)
        return 1 + random.nextInt (max);
    return max + 1 + random.nextInt (max);
}

//==============================================================================
void audioThread (Target& target, const Setup& setup, Shared& shared, AudioFigures& figures, AudioFaults& faults,
                  juce::int64 seed)
{
    juce::Random random (seed);
    Generator generator (seed + 1);
    const auto capacity = setup.maxBlock * 2 + 1;
    juce::AudioBuffer<float> storage (setup.channels, capacity), input (setup.channels, capacity);
    const auto fadeLength = static_cast<std::uint64_t> (std::floor (setup.sampleRate * 0.01));

    // Samples processed with both bypass switches known to be off since either could last
    // have been on; once a whole fade has passed, the output is the clipped signal.
    std::uint64_t settled = 0;
    bool warmedUp = false;

    while (! shared.stop.load())
    {
        const auto n = pickBlockSize (random, setup);
        const auto signal = generator.fill (storage, n);

        for (int c = 0; c < setup.channels; ++c)
            input.copyFrom (c, 0, storage, c, 0, n);

        juce::AudioBuffer<float> block (storage.getArrayOfWritePointers(), setup.channels, n);

        const auto pluginEpoch = shared.pluginBypassEpoch.load();
        const auto hostEpoch = shared.hostBypassEpoch.load();
        const auto pluginOn = shared.pluginBypass.load();
        const auto hostOn = shared.hostBypass.load();
        const auto checkAllocations = allocationCountingAvailable() && warmedUp && n <= setup.maxBlock;
        const auto pluginBefore = pluginAllocations();
        const auto hostBefore = hostAllocations();
        const auto exemptBefore = exemptAllocations();

        if (checkAllocations)
            setInAudioCallback (true);

        target.process (block);

        if (checkAllocations)
            setInAudioCallback (false);

        const auto pluginKnown = pluginEpoch == shared.pluginBypassEpoch.load() && pluginEpoch % 2 == 0;
        const auto hostKnown = hostEpoch == shared.hostBypassEpoch.load() && hostEpoch % 2 == 0;
        const auto processed = pluginKnown && hostKnown && ! pluginOn && ! hostOn;

        if (n > 0 && n <= setup.maxBlock)
            warmedUp = true;

        if (checkAllocations)
        {
            ++figures.allocationCheckedBlocks;

            if (pluginAllocations() != pluginBefore)
            {
                ++figures.blocksWithPluginAllocations;
                faults.add ("%d allocation(s) by the plug-in in a block of %d samples (prepared %d at %.0f Hz, %d channel(s))",
                            (int) (pluginAllocations() - pluginBefore), n, setup.maxBlock, setup.sampleRate,
                            setup.channels);
            }

            if (hostAllocations() != hostBefore)
                ++figures.blocksWithHostAllocations;

            if (exemptAllocations() != exemptBefore)
                ++figures.blocksWithExemptAllocations;
        }

        if (hostKnown && hostOn)
        {
            // The host's bypass hands the block to the framework's default, which leaves the
            // input as it is, whatever it holds.
            ++figures.hostBypassedBlocks;

            for (int c = 0; c < setup.channels; ++c)
                if (std::memcmp (block.getReadPointer (c), input.getReadPointer (c), sizeof (float) * (size_t) n) != 0)
                    faults.add ("host-bypassed block of %d samples is not the input (channel %d)", n, c);
        }
        else if (hostKnown)
        {
            ++figures.finiteCheckedBlocks;
            const auto checkClip = processed && settled >= fadeLength;
            figures.clipCheckedBlocks += checkClip ? 1 : 0;

            for (int c = 0; c < setup.channels; ++c)
            {
                const auto* y = block.getReadPointer (c);

                for (int i = 0; i < n; ++i)
                {
                    if (! std::isfinite (y[i]))
                    {
                        faults.add ("output %g at sample %d of %d, channel %d (input %s, %s, %.0f Hz)", (double) y[i], i,
                                    n, c, signalNames[(int) signal], pluginOn ? "bypassed" : "processed",
                                    setup.sampleRate);
                        break;
                    }

                    if (checkClip && std::abs (y[i]) > clipLevel)
                    {
                        faults.add ("processed output %g above the clip at sample %d of %d, channel %d (input %s, %.0f Hz)",
                                    (double) y[i], i, n, c, signalNames[(int) signal], setup.sampleRate);
                        break;
                    }
                }
            }
        }

        settled = processed ? settled + (std::uint64_t) n : 0;

        ++figures.blocks;
        figures.samples += (std::uint64_t) n;
        ++figures.perSignal[(int) signal];
        figures.emptyBlocks += n == 0 ? 1 : 0;
        figures.singleSampleBlocks += n == 1 ? 1 : 0;
        figures.oddBlocks += (n > 1 && n % 2 == 1 && n != setup.maxBlock) ? 1 : 0;
        figures.fullBlocks += n == setup.maxBlock ? 1 : 0;
        figures.longerBlocks += n > setup.maxBlock ? 1 : 0;
        shared.blocksDone.fetch_add (1);

        if (random.nextInt (64) == 0)
            std::this_thread::sleep_for (std::chrono::microseconds (random.nextInt (300)));
    }
}

//==============================================================================
class Stress
{
public:
    Stress (Target& t, const Options& o) : target (t), options (o), random ((juce::int64) o.seed) {}

    bool run (const char* title)
    {
        prepareAllocationCounting();
        params = target.pluginParameters();
        hostBypass = target.hostBypass();

        if (params.size() != 7)
        {
            std::printf ("%s: expected the plug-in's seven parameters, found %d\n", title, (int) params.size());
            return false;
        }

        const auto start = Clock::now();
        const auto end = start + std::chrono::duration_cast<Clock::duration> (std::chrono::duration<double> (options.seconds));

        for (int runIndex = 0; Clock::now() < end; ++runIndex)
        {
            Setup setup;
            setup.sampleRate = sampleRates[runIndex % (int) std::size (sampleRates)];
            setup.maxBlock = preparedSizes[random.nextInt ((int) std::size (preparedSizes))];
            setup.channels = random.nextBool() ? 2 : 1;
            setup.longerBlocks = target.acceptsLongerBlocks();
            const auto runEnd = std::min (end, Clock::now() + std::chrono::milliseconds (400 + random.nextInt (1200)));
            runOnce (setup, runEnd, options.seed * 1000 + (std::uint64_t) runIndex);
        }

        finalRoundTrip();
        target.closeEditor();
        report (title, std::chrono::duration<double> (Clock::now() - start).count());
        return audioFaults.size() == 0 && faults.isEmpty();
    }

private:
    void fault (const juce::String& text)
    {
        if (faults.size() < 20)
            faults.add (text);
        else
            ++moreFaults;
    }

    void runOnce (const Setup& setup, Clock::time_point runEnd, std::uint64_t seed)
    {
        ++messages.runs;

        if (! target.prepare (setup.sampleRate, setup.maxBlock, setup.channels))
        {
            fault ("the plug-in refused " + juce::String (setup.channels) + " channel(s)");
            return;
        }

        Shared shared;
        shared.pluginBypass = params[6]->getValue() >= 0.5f;
        shared.hostBypass = hostBypass != nullptr && hostBypass->getValue() >= 0.5f;
        AudioFigures figures;

        std::thread audio ([&] { audioThread (target, setup, shared, figures, audioFaults, (juce::int64) seed); });

        while (Clock::now() < runEnd)
        {
            act (shared);

            if (target.canCheckSharedRecords())
            {
                ++messages.recordChecks;
                if (const auto problem = target.checkSharedRecords(); problem.isNotEmpty())
                    fault (problem + " (" + juce::String (setup.sampleRate, 0) + " Hz)");
            }

            target.pumpMessages (random.nextInt (3));
        }

        shared.stop = true;
        audio.join();
        audioTotals.add (figures);
        checkRoundTrip ("after a run at " + juce::String (setup.sampleRate, 0) + " Hz");
    }

    //==========================================================================
    void act (Shared& shared)
    {
        const auto action = random.nextInt (100);

        if (action < 55)
            automate (shared);
        else if (action < 63)
            toggleBypassMidFade (shared);
        else if (action < 66)
            toggleHostBypass (shared);
        else if (action < 74)
            switchProgram();
        else if (action < 80)
            save();
        else if (action < 93)
            restore (shared);
        else if (action < 96)
            toggleEditor();
    }

    float randomValue()
    {
        switch (random.nextInt (10))
        {
            case 0: return 0.0f;
            case 1: return 1.0f;
            default: return random.nextFloat();
        }
    }

    template <typename Change>
    void changeBypass (std::atomic<std::uint32_t>& epoch, Change&& change)
    {
        epoch.fetch_add (1);
        change();
        epoch.fetch_add (1);
    }

    void setPluginBypass (Shared& shared, bool on)
    {
        changeBypass (shared.pluginBypassEpoch, [&] {
            params[6]->setValueNotifyingHost (on ? 1.0f : 0.0f);
            shared.pluginBypass = on;
        });
        ++messages.parameterChanges;
        ++messages.bypassToggles;
    }

    void automate (Shared& shared)
    {
        const auto index = random.nextInt (7);

        if (index == 6)
        {
            setPluginBypass (shared, random.nextBool());
            return;
        }

        params[(size_t) index]->setValueNotifyingHost (randomValue());
        ++messages.parameterChanges;
    }

    /** Waits until the audio thread has finished some more blocks (or a second has passed). */
    void waitForBlocks (Shared& shared, int count)
    {
        const auto until = shared.blocksDone.load() + (std::uint64_t) count;
        const auto deadline = Clock::now() + std::chrono::seconds (1);

        while (shared.blocksDone.load() < until && Clock::now() < deadline)
            std::this_thread::sleep_for (std::chrono::microseconds (50));
    }

    void toggleBypassMidFade (Shared& shared)
    {
        auto on = ! shared.pluginBypass.load();

        for (int i = 1 + random.nextInt (3); --i >= 0;)
        {
            setPluginBypass (shared, on);
            waitForBlocks (shared, random.nextInt (3));
            on = ! on;
        }
    }

    void setHostBypass (Shared& shared, bool on)
    {
        changeBypass (shared.hostBypassEpoch, [&] {
            hostBypass->setValueNotifyingHost (on ? 1.0f : 0.0f);
            shared.hostBypass = on;
        });
        ++messages.hostBypassToggles;
    }

    // Mostly a short stretch of the host's bypass, so that most blocks stay the plug-in's.
    void toggleHostBypass (Shared& shared)
    {
        if (hostBypass == nullptr)
            return;

        setHostBypass (shared, ! shared.hostBypass.load());

        if (shared.hostBypass.load() && random.nextInt (8) != 0)
        {
            waitForBlocks (shared, random.nextInt (20));
            setHostBypass (shared, false);
        }
    }

    void switchProgram()
    {
        static const int outOfRange[] { -1, 6, 7, 100, -100, std::numeric_limits<int>::max(), std::numeric_limits<int>::min() };
        const auto wild = random.nextInt (4) == 0;
        const auto index = wild ? outOfRange[random.nextInt ((int) std::size (outOfRange))] : random.nextInt (6);
        target.setProgram (index);
        ++messages.programSwitches;
        messages.outOfRangePrograms += wild ? 1 : 0;
    }

    void save()
    {
        auto state = target.saveState();
        ++messages.saves;

        if (savedStates.size() < 8)
            savedStates.push_back (std::move (state));
        else
            savedStates[(size_t) random.nextInt (8)] = std::move (state);
    }

    juce::MemoryBlock someSavedState()
    {
        if (savedStates.empty())
            save();

        return savedStates[(size_t) random.nextInt ((int) savedStates.size())];
    }

    void restore (Shared& shared)
    {
        juce::MemoryBlock data;
        const auto kind = random.nextInt (100);

        if (kind < 35)
        {
            data = someSavedState();
            ++messages.savedRestores;
        }
        else if (kind < 50)
        {
            data.setSize ((size_t) random.nextInt (600));
            for (size_t i = 0; i < data.getSize(); ++i)
                data[i] = (char) random.nextInt (256);
            ++messages.garbageRestores;
        }
        else if (kind < 70)
        {
            data = someSavedState();
            data.setSize ((size_t) random.nextInt ((int) data.getSize()));
            ++messages.truncatedRestores;
        }
        else if (kind < 95)
        {
            // Changed bytes inside the plug-in's own part; the wrapper's part stays intact.
            data = someSavedState();
            const auto own = (int) target.pluginStateBytes (data);
            for (int i = 1 + random.nextInt (6); --i >= 0 && own > 0;)
                data[(size_t) random.nextInt (own)] = (char) random.nextInt (256);
            ++messages.mutatedRestores;
        }
        else
        {
            ++messages.emptyRestores;
        }

        // Parameter changes the host still holds reach the plug-in with the next block;
        // let them arrive first, so that none lands on top of the restored state unseen.
        waitForBlocks (shared, 2);

        shared.pluginBypassEpoch.fetch_add (1);
        shared.hostBypassEpoch.fetch_add (1);
        target.restoreState (data);
        shared.pluginBypass = params[6]->getValue() >= 0.5f;
        shared.hostBypass = hostBypass != nullptr && hostBypass->getValue() >= 0.5f;
        shared.hostBypassEpoch.fetch_add (1);
        shared.pluginBypassEpoch.fetch_add (1);
        ++messages.restores;
    }

    void toggleEditor()
    {
        if (editorOpen)
        {
            target.closeEditor();
            ++messages.editorCloses;
        }
        else
        {
            target.openEditor();
            ++messages.editorOpens;
        }

        editorOpen = ! editorOpen;
    }

    //==========================================================================
    std::vector<float> values()
    {
        std::vector<float> v;
        for (auto* p : params)
            v.push_back (p->getValue());
        if (hostBypass != nullptr)
            v.push_back (hostBypass->getValue());
        return v;
    }

    // Save, restore, save again: the same bytes, and the same values the second time round
    // (the first restore may move a host's own idea of a value onto the plug-in's grid).
    void checkRoundTrip (const juce::String& when)
    {
        target.flush();
        const auto saved = target.saveState();
        target.restoreState (saved);
        target.flush();
        const auto restored = values();
        const auto again = target.saveState();
        target.restoreState (again);
        target.flush();
        ++messages.roundTrips;

        if (again != saved)
            fault ("a saved state does not restore to the same bytes " + when);

        if (values() != restored)
            fault ("a saved state does not restore to the same values " + when);
    }

    void finalRoundTrip()
    {
        for (auto* p : params)
            p->setValueNotifyingHost (randomValue());

        checkRoundTrip ("at the end");

        target.flush();
        const auto saved = target.saveState();

        if (target.saveAfterRestoringInNewInstance (saved) != saved)
            fault ("a new instance given the final state saves different bytes");
    }

    //==========================================================================
    void report (const char* title, double seconds)
    {
        const auto& a = audioTotals;
        const auto& m = messages;

        std::printf ("%s: %.1f s, %llu runs at sample rates 11025 to 192000 Hz, mono and stereo\n", title, seconds,
                     (unsigned long long) m.runs);
        std::printf ("  blocks processed      %llu (%llu samples): %llu empty, %llu of 1 sample, %llu odd, %llu of the "
                     "prepared size, %llu longer than prepared\n",
                     (unsigned long long) a.blocks, (unsigned long long) a.samples, (unsigned long long) a.emptyBlocks,
                     (unsigned long long) a.singleSampleBlocks, (unsigned long long) a.oddBlocks,
                     (unsigned long long) a.fullBlocks, (unsigned long long) a.longerBlocks);
        std::printf ("  input signals         ");
        for (int i = 0; i < (int) Signal::count; ++i)
            std::printf ("%s%s %llu", i > 0 ? ", " : "", signalNames[i], (unsigned long long) a.perSignal[i]);
        std::printf (" blocks\n");
        std::printf ("  output checks         %llu blocks finite, %llu of them processed past any fade and within +-0.97, "
                     "%llu host-bypassed blocks equal to their input\n",
                     (unsigned long long) a.finiteCheckedBlocks, (unsigned long long) a.clipCheckedBlocks,
                     (unsigned long long) a.hostBypassedBlocks);

        if (allocationCountingAvailable())
            std::printf ("  audio-thread heap     %llu blocks checked: %llu allocation(s) by the plug-in in %llu blocks; "
                         "%llu exempt in %llu blocks (%s); %llu by the host's own code in %llu blocks\n",
                         (unsigned long long) a.allocationCheckedBlocks, (unsigned long long) pluginAllocations(),
                         (unsigned long long) a.blocksWithPluginAllocations, (unsigned long long) exemptAllocations(),
                         (unsigned long long) a.blocksWithExemptAllocations, target.exemptAllocationsAre(),
                         (unsigned long long) hostAllocations(), (unsigned long long) a.blocksWithHostAllocations);
        else
            std::printf ("  audio-thread heap     not counted in a sanitizer build\n");

        std::printf ("  parameter changes     %llu (%llu of the plug-in's bypass, %llu of the host's bypass)\n",
                     (unsigned long long) m.parameterChanges, (unsigned long long) m.bypassToggles,
                     (unsigned long long) m.hostBypassToggles);
        std::printf ("  program switches      %llu (%llu out of range)\n", (unsigned long long) m.programSwitches,
                     (unsigned long long) m.outOfRangePrograms);
        std::printf ("  state saves           %llu, round trips checked %llu\n", (unsigned long long) m.saves,
                     (unsigned long long) m.roundTrips);
        std::printf ("  state restores        %llu: %llu saved, %llu garbage, %llu truncated, %llu with changed bytes, "
                     "%llu empty\n",
                     (unsigned long long) m.restores, (unsigned long long) m.savedRestores,
                     (unsigned long long) m.garbageRestores, (unsigned long long) m.truncatedRestores,
                     (unsigned long long) m.mutatedRestores, (unsigned long long) m.emptyRestores);
        std::printf ("  editor                %llu opened, %llu closed\n", (unsigned long long) m.editorOpens,
                     (unsigned long long) m.editorCloses);

        if (target.canCheckSharedRecords())
            std::printf ("  meters and analyser   %llu checks while blocks ran\n", (unsigned long long) m.recordChecks);
        else
            std::printf ("  meters and analyser   not reachable from a host: output checked only\n");

        for (int i = 0; i < audioFaults.numKept(); ++i)
            std::printf ("FAULT (audio thread): %s\n", audioFaults.get (i));
        if (audioFaults.size() > audioFaults.numKept())
            std::printf ("FAULT (audio thread): %d more\n", audioFaults.size() - audioFaults.numKept());
        for (const auto& f : faults)
            std::printf ("FAULT: %s\n", f.toRawUTF8());
        if (moreFaults > 0)
            std::printf ("FAULT: %d more\n", moreFaults);

        const auto stacks = pluginAllocationStacks();
        for (size_t i = 0; i < std::min<size_t> (stacks.size(), 3); ++i)
        {
            std::printf ("plug-in allocation %d on the audio thread:\n", (int) i + 1);
            std::fflush (stdout);
            backtrace_symbols_fd (stacks[i].frames, stacks[i].numFrames, 1);
        }

        std::printf ("%s: %s\n", title, audioFaults.size() == 0 && faults.isEmpty() ? "no fault" : "FAILED");
        std::fflush (stdout);
    }

    Target& target;
    Options options;
    juce::Random random;
    std::vector<juce::AudioProcessorParameter*> params;
    juce::AudioProcessorParameter* hostBypass = nullptr;
    std::vector<juce::MemoryBlock> savedStates;
    bool editorOpen = false;

    AudioFaults audioFaults;
    AudioFigures audioTotals;
    MessageFigures messages;
    juce::StringArray faults;
    int moreFaults = 0;
};
} // namespace

Options optionsFromEnvironment (double defaultSeconds)
{
    Options options;
    options.seconds = defaultSeconds;

    if (const char* s = std::getenv ("VARNU_STRESS_SECONDS"))
        options.seconds = std::atof (s);

    if (const char* s = std::getenv ("VARNU_STRESS_SEED"))
        options.seed = std::strtoull (s, nullptr, 10);

    return options;
}

bool runStress (Target& target, const Options& options, const char* title)
{
    Stress stress (target, options);
    return stress.run (title);
}
} // namespace stress
