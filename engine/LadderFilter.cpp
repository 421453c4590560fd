// Common core of the saturating four-pole ladder filters, which run at four times the sample rate.
#include "engine/LadderFilter.h"

#include <algorithm>

LadderFilter::LadderFilter(float sampleRate) : sampleRateScale(std::min(1.0f, 44100.0f / (4.0f * sampleRate))) {}

void LadderFilter::resetForIdle()
{
    for (int i = 0; i < kStages; ++i)
    {
        subtracted[i] = 0.0f;
        added[i] = 0.4f;
    }
    feedback = 0.4f;
}

void LadderFilter::clear()
{
    for (int i = 0; i < kStages; ++i)
    {
        subtracted[i] = 0.0f;
        added[i] = 0.0f;
    }
    feedback = 0.0f;
    lastCutoff = -1.0f;
    lastResonance = -1.0f;
}
