#include "processor/Saturator.h"

void prepare (Saturator& s, double sampleRate) noexcept
{
    s.sampleRate = sampleRate;
    s.drive.reset (sampleRate, 0.02);
    s.mix.reset (sampleRate, 0.02);

    for (int j = 0; j < 2; ++j)
    {
        s.lastDriven[j] = 0.0;
        s.lastLogCosh[j] = 0.0;
        s.tapeState[j] = 0.0f;
    }
}
