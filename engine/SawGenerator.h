// Band-limited rising ramp from -0.5 to +0.5, with hard sync.
#pragma once

#include "engine/CorrectionRing.h"
#include "engine/PeriodicGenerator.h"

struct SawGenerator : PeriodicGenerator
{
    explicit SawGenerator(float sampleRateHz) : PeriodicGenerator(sampleRateHz, 0.5f) {}

    CorrectionRing ring;

    float process(float frequency, float fmAmount, float fmFrequency, const SyncEvent& sync)
    {
        const float inc = increment(modulatedFrequency(frequency, fmAmount, fmFrequency));
        phase += inc;
        if (sync.wrapped)
        {
            const float restartPhase = inc * sync.sinceWrap;
            // The ramp falls by the height it had reached.
            ring.placeStep(sync.sinceWrap, phase - restartPhase);
            phase = restartPhase;
        }
        if (phase >= 1.0f)
        {
            phase -= 1.0f;
            ring.placeStep(phase / inc, 1.0f);
        }
        return ring.readOut() + phase - 0.5f;
    }

    void reset(float startPhase)
    {
        restart(startPhase);
        ring.clear();
    }
};
