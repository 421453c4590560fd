// Two saturating state-variable stages in series (low-, high- or band-pass), run at four times the sample rate.
#include "engine/FilterStateVariable12db.h"

#include <algorithm>

FilterStateVariable12db::FilterStateVariable12db(float sampleRate, int filterMode)
    : mode(filterMode)
    , sampleRateScale(std::min(1.0f, 44100.0f / (4.0f * sampleRate)))
{
}

void FilterStateVariable12db::resetForIdle() { band1 = low1 = band2 = low2 = 0.4f; }

void FilterStateVariable12db::clear()
{
    band1 = low1 = band2 = low2 = 0.0f;
    lastCutoff = -1.0f;
    lastResonance = -1.0f;
}
