// Sine from -0.5 to +0.5, starting at its trough; it ignores sync.
#pragma once

#include "engine/PeriodicGenerator.h"

#include <cmath>

struct SineGenerator : PeriodicGenerator
{
    explicit SineGenerator(float sampleRateHz) : PeriodicGenerator(sampleRateHz, 0.5f) {}

    float process(float frequency, float fmAmount, float fmFrequency)
    {
        const float inc = increment(modulatedFrequency(frequency, fmAmount, fmFrequency));
        const float output = -0.5f * std::cos(twoPi * phase);
        phase += inc;
        if (phase >= 1.0f)
            phase -= 1.0f;
        return output;
    }

    void reset(float startPhase) { restart(startPhase); }
};
