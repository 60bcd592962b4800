// CPU cost of the channel strip's block processing, against a floor made of only the
// transcendental calls of the signal chain's arithmetic.
//
// Each processBlock case runs 48 kHz stereo blocks of a steady music-like signal through a
// prepared processor, with the parameters fixed (so no ramp moves). The floor runs, over
// the same number of samples, per sample and channel: cosh, log, two tanh and one double
// division (the saturator's curve as written: tanh of the drive for the gain and tanh of
// the bias), and per sample: one log10 and one power of ten (the compressor). A second
// floor leaves the two tanh out: the saturator takes both once per block while the drive
// is settled, so that floor holds only the calls processBlock really makes per sample.
// A summary after the runs gives ns per stereo sample, the real-time factor, the ratio of
// each case to both floors at its block size and the per-sample cost of 32-sample blocks
// against 1024-sample blocks.

#include <benchmark/benchmark.h>

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_events/juce_events.h>

#include "processor/ParameterLayout.h"
#include "processor/VarnuProcessor.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int sourceLength = 48000;
constexpr int blockSizes[] { 32, 512, 1024 };
constexpr int characters[] { 40, 100 };
const char* const flavorNames[] { "Tube", "Tape", "Iron" };

/** One second of stereo programme material: a few partials and some noise, peaking
    around -3 dBFS, different on the two channels.
*/
const juce::AudioBuffer<float>& sourceSignal()
{
    static const auto buffer = [] {
        juce::AudioBuffer<float> b (2, sourceLength);
        std::mt19937 random (42);
        std::uniform_real_distribution<float> noise (-1.0f, 1.0f);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < sourceLength; ++i)
            {
                const auto t = static_cast<double> (i) / sampleRate;
                const auto v = 0.35 * std::sin (6.283185307179586 * (110.0 + 55.0 * c) * t)
                             + 0.2 * std::sin (6.283185307179586 * 440.0 * t + c)
                             + 0.1 * std::sin (6.283185307179586 * 2750.0 * t)
                             + 0.05 * noise (random);
                b.setSample (c, i, static_cast<float> (v * (0.75 + 0.25 * std::sin (6.283185307179586 * 2.0 * t))));
            }
        return b;
    }();
    return buffer;
}

void setPlain (juce::AudioProcessorValueTreeState& state, const char* id, float plain)
{
    auto* parameter = state.getParameter (id);
    parameter->setValueNotifyingHost (parameter->convertTo0to1 (plain));
}

void addSampleCounters (benchmark::State& state, int blockSize)
{
    const auto perIteration = static_cast<double> (blockSize);
    state.counters["per_sample"] = benchmark::Counter (perIteration, benchmark::Counter::kIsIterationInvariantRate
                                                                         | benchmark::Counter::kInvert);
    state.counters["x_realtime"] = benchmark::Counter (perIteration / sampleRate, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["block"] = perIteration;
}

void processBlockCase (benchmark::State& state, int blockSize, int character, int flavor)
{
    VarnuProcessor processor;
    processor.prepareToPlay (sampleRate, blockSize);
    setPlain (processor.apvts, ParameterIds::character, static_cast<float> (character));
    setPlain (processor.apvts, ParameterIds::flavor, static_cast<float> (flavor));

    const auto& source = sourceSignal();
    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer midi;

    // Let the ramps settle first.
    for (int i = 0; i < 200; ++i)
        processor.processBlock (buffer, midi);

    int position = 0;
    for (auto _ : state)
    {
        if (position + blockSize > sourceLength)
            position = 0;
        for (int c = 0; c < 2; ++c)
            buffer.copyFrom (c, 0, source, c, position, blockSize);
        position += blockSize;

        processor.processBlock (buffer, midi);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
        benchmark::ClobberMemory();
    }

    addSampleCounters (state, blockSize);
}

/** The calls the chain must make, with arguments that move from sample to sample as
    the chain's do, and results that are all used.
*/
void floorCase (benchmark::State& state, int blockSize, bool withTanh)
{
    const auto& source = sourceSignal();
    int position = 0;
    double previousU[2] {};
    double previousL[2] {};
    float envelope = 0.5f;

    for (auto _ : state)
    {
        if (position + blockSize > sourceLength)
            position = 0;

        float sum = 0.0f;
        for (int i = 0; i < blockSize; ++i)
        {
            for (int c = 0; c < 2; ++c)
            {
                const auto x = static_cast<double> (source.getSample (c, position + i));
                const auto u = x * 10.2 + 0.3;
                const auto l = std::log (std::cosh (u));
                const auto s = (l - previousL[c]) / (u - previousU[c] + 1e-3);
                const auto n = withTanh ? std::tanh (10.2 + x * 1e-6) : 1.0 + x * 1e-6;
                const auto e = s - (withTanh ? std::tanh (0.3 + x * 1e-6) : 0.29 + x * 1e-6);
                previousU[c] = u;
                previousL[c] = l;
                sum += static_cast<float> (e / n);
            }

            envelope = 0.999f * envelope + 0.001f * std::abs (source.getSample (0, position + i));
            const auto level = 20.0f * std::log10 (envelope);
            sum += std::pow (10.0f, (level + 16.0f) * -0.05f);
        }

        position += blockSize;
        benchmark::DoNotOptimize (sum);
    }

    addSampleCounters (state, blockSize);
}

struct Result
{
    double nsPerSample = 0.0;
};

std::string processName (int blockSize, int character, int flavor)
{
    return "processBlock/block:" + std::to_string (blockSize) + "/character:" + std::to_string (character) + "/"
         + flavorNames[flavor];
}

std::string floorName (int blockSize, bool withTanh)
{
    return std::string (withTanh ? "floor" : "floor_no_tanh") + "/block:" + std::to_string (blockSize);
}

/** The console report, and each run's CPU time per sample for the summary. */
class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns (const std::vector<Run>& runs) override
    {
        for (const auto& run : runs)
        {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;

            const auto block = run.counters.find ("block");
            if (block == run.counters.end())
                continue;

            // The CPU time per iteration, in ns, over the samples of one block.
            const auto ns = run.GetAdjustedCPUTime() * nanosecondsPerUnit (run.time_unit) / block->second.value;
            auto& r = results[run.benchmark_name()];
            r.nsPerSample = r.nsPerSample <= 0.0 ? ns : std::min (r.nsPerSample, ns);
        }

        ConsoleReporter::ReportRuns (runs);
    }

    void printSummary() const
    {
        std::printf ("\nSummary: CPU time per stereo sample at 48 kHz\n");
        std::printf ("%-44s %10s %12s %10s %15s\n", "case", "ns/sample", "x realtime", "/ floor", "/ floor_no_tanh");

        for (const auto blockSize : blockSizes)
        {
            const auto floor = find (floorName (blockSize, true));
            const auto floorNoTanh = find (floorName (blockSize, false));
            print (floorName (blockSize, true), floor, 0.0, 0.0);
            print (floorName (blockSize, false), floorNoTanh, 0.0, 0.0);

            for (const auto character : characters)
                for (int flavor = 0; flavor < 3; ++flavor)
                    print (processName (blockSize, character, flavor), find (processName (blockSize, character, flavor)),
                           floor, floorNoTanh);
        }

        std::printf ("\nPer-sample cost of 32-sample blocks against 1024-sample blocks\n");
        for (const auto character : characters)
            for (int flavor = 0; flavor < 3; ++flavor)
            {
                const auto small = find (processName (32, character, flavor));
                const auto large = find (processName (1024, character, flavor));
                if (small > 0.0 && large > 0.0)
                    std::printf ("  character %3d %-5s %6.3f\n", character, flavorNames[flavor], small / large);
            }

        std::printf ("\nTargets: processBlock / floor <= 1.3 at 512 samples; 32-sample blocks <= 1.5 x the "
                     "per-sample cost at 1024.\n");
    }

private:
    static double nanosecondsPerUnit (benchmark::TimeUnit unit)
    {
        switch (unit)
        {
            case benchmark::kSecond:      return 1e9;
            case benchmark::kMillisecond: return 1e6;
            case benchmark::kMicrosecond: return 1e3;
            case benchmark::kNanosecond:
            default:                      return 1.0;
        }
    }

    double find (const std::string& name) const
    {
        const auto it = results.find (name);
        return it == results.end() ? 0.0 : it->second.nsPerSample;
    }

    static void print (const std::string& name, double ns, double floor, double floorNoTanh)
    {
        if (ns <= 0.0)
            return;

        const auto realtime = 1e9 / sampleRate / ns;
        if (floor > 0.0 && floorNoTanh > 0.0)
            std::printf ("%-44s %10.2f %12.0f %10.3f %15.3f\n", name.c_str(), ns, realtime, ns / floor, ns / floorNoTanh);
        else
            std::printf ("%-44s %10.2f %12.0f\n", name.c_str(), ns, realtime);
    }

    std::map<std::string, Result> results;
};
} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;

    for (const auto blockSize : blockSizes)
    {
        for (const auto withTanh : { true, false })
            benchmark::RegisterBenchmark (floorName (blockSize, withTanh).c_str(), floorCase, blockSize, withTanh)
                ->Unit (benchmark::kNanosecond);

        for (const auto character : characters)
            for (int flavor = 0; flavor < 3; ++flavor)
                benchmark::RegisterBenchmark (processName (blockSize, character, flavor).c_str(), processBlockCase,
                                              blockSize, character, flavor)
                    ->Unit (benchmark::kNanosecond);
    }

    benchmark::Initialize (&argc, argv);
    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks (&reporter);
    reporter.printSummary();
    benchmark::Shutdown();
    return 0;
}
