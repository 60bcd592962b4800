// Writes the seed states into a directory, one file each, for the fuzzer's corpus.
#include "SeedStates.h"

#include <juce_events/juce_events.h>

#include <cstdio>

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf (stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }

    juce::ScopedJuceInitialiser_GUI juce;
    const juce::File dir (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));

    if (! dir.createDirectory())
    {
        std::fprintf (stderr, "cannot create %s\n", dir.getFullPathName().toRawUTF8());
        return 1;
    }

    const auto seeds = makeSeedStates();

    for (size_t i = 0; i < seeds.size(); ++i)
    {
        const auto file = dir.getChildFile ("state-" + juce::String (i).paddedLeft ('0', 2) + ".bin");

        if (! file.replaceWithData (seeds[i].getData(), seeds[i].getSize()))
        {
            std::fprintf (stderr, "cannot write %s\n", file.getFullPathName().toRawUTF8());
            return 1;
        }
    }

    std::printf ("%d seed states written to %s\n", static_cast<int> (seeds.size()), dir.getFullPathName().toRawUTF8());
    return 0;
}
