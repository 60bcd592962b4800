// Drives the state fuzz target without libFuzzer: a bounded loop of inputs made by
// mutating the seed states (bit flips, special bytes and doubles, cuts, insertions,
// splices) and of plain random bytes, from a fixed seed so that a failure repeats.
//
//   varnu_state_fuzz_loop [RUNS [SEED]]      (VARNU_FUZZ_RUNS and VARNU_FUZZ_SEED also work)
//
// It also runs the inputs in tests/fuzz/regressions, which once found faults.
#include "FuzzTarget.h"
#include "SeedStates.h"

#include <juce_events/juce_events.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <vector>

namespace
{
using Bytes = std::vector<std::uint8_t>;

long long argumentOr (int argc, char** argv, int index, const char* env, long long fallback)
{
    if (index < argc)
        return std::atoll (argv[index]);

    if (const char* value = std::getenv (env))
        return std::atoll (value);

    return fallback;
}

void mutate (Bytes& bytes, const std::vector<Bytes>& seeds, juce::Random& random)
{
    static const std::uint8_t specialBytes[] { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x7f, 0x80, 0xfe, 0xff };
    static const double specialDoubles[] { std::numeric_limits<double>::quiet_NaN(),
                                           std::numeric_limits<double>::infinity(),
                                           -std::numeric_limits<double>::infinity(),
                                           std::numeric_limits<double>::max(),
                                           std::numeric_limits<double>::denorm_min(),
                                           -0.0,
                                           1e30,
                                           -1e30 };

    const auto position = [&] { return bytes.empty() ? size_t (0) : size_t (random.nextInt ((int) bytes.size())); };

    switch (random.nextInt (8))
    {
        case 0:
            if (! bytes.empty())
                bytes[position()] ^= std::uint8_t (1u << random.nextInt (8));
            break;
        case 1:
            if (! bytes.empty())
                bytes[position()] = specialBytes[random.nextInt ((int) std::size (specialBytes))];
            break;
        case 2:
            if (bytes.size() >= 8)
            {
                const auto value = specialDoubles[random.nextInt ((int) std::size (specialDoubles))];
                std::memcpy (bytes.data() + random.nextInt ((int) bytes.size() - 7), &value, sizeof (value));
            }
            break;
        case 3:
            bytes.resize (position());
            break;
        case 4:
        {
            const auto at = position();
            const auto count = size_t (random.nextInt (16) + 1);
            Bytes inserted (count);
            for (auto& b : inserted)
                b = std::uint8_t (random.nextInt (256));
            bytes.insert (bytes.begin() + (std::ptrdiff_t) at, inserted.begin(), inserted.end());
            break;
        }
        case 5:
            if (! bytes.empty())
            {
                const auto at = position();
                const auto count = std::min (bytes.size() - at, size_t (random.nextInt (32) + 1));
                bytes.erase (bytes.begin() + (std::ptrdiff_t) at, bytes.begin() + (std::ptrdiff_t) (at + count));
            }
            break;
        case 6:
        {
            const auto& other = seeds[(size_t) random.nextInt ((int) seeds.size())];
            const auto from = size_t (random.nextInt ((int) other.size()));
            bytes.resize (position());
            bytes.insert (bytes.end(), other.begin() + (std::ptrdiff_t) from, other.end());
            break;
        }
        default:
            // A compressed count of 4 bytes claiming an enormous size or number of items.
            if (bytes.size() >= 5)
            {
                const auto at = size_t (random.nextInt ((int) bytes.size() - 4));
                bytes[at] = 4;
                for (int i = 1; i < 5; ++i)
                    bytes[at + (size_t) i] = std::uint8_t (random.nextInt (256));
            }
            break;
    }
}
} // namespace

int main (int argc, char** argv)
{
    const auto runs = argumentOr (argc, argv, 1, "VARNU_FUZZ_RUNS", 200000);
    const auto seed = argumentOr (argc, argv, 2, "VARNU_FUZZ_SEED", 1);

    juce::ScopedJuceInitialiser_GUI juce;

    std::vector<Bytes> seeds;
    for (const auto& block : makeSeedStates())
    {
        const auto* data = static_cast<const std::uint8_t*> (block.getData());
        seeds.emplace_back (data, data + block.getSize());
    }

    juce::Random random (seed);

    for (long long run = 0; run < runs; ++run)
    {
        Bytes input;

        if (random.nextInt (10) == 0)
        {
            input.resize ((size_t) random.nextInt (600));
            for (auto& b : input)
                b = std::uint8_t (random.nextInt (256));
        }
        else
        {
            input = seeds[(size_t) random.nextInt ((int) seeds.size())];
            for (int i = random.nextInt (8) + 1; --i >= 0;)
                mutate (input, seeds, random);
        }

        LLVMFuzzerTestOneInput (input.data(), input.size());
    }

    // The inputs that once found faults, kept in tests/fuzz/regressions.
    int regressions = 0;
    for (const auto& file : juce::File (VARNU_FUZZ_REGRESSIONS).findChildFiles (juce::File::findFiles, false))
    {
        juce::MemoryBlock data;
        if (file.loadFileAsData (data))
        {
            LLVMFuzzerTestOneInput (static_cast<const std::uint8_t*> (data.getData()), data.getSize());
            ++regressions;
        }
    }

    // Every seed as it is, and every prefix of one, also run.
    for (const auto& s : seeds)
        for (size_t length = 0; length <= s.size(); ++length)
            LLVMFuzzerTestOneInput (s.data(), length);

    std::printf ("state fuzz: %lld random inputs (seed %lld), %d earlier findings and every prefix of %d seed states: "
                 "no fault\n",
                 runs, seed, regressions, (int) seeds.size());
    return 0;
}
