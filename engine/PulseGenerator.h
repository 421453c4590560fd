// Band-limited pulse (-0.5 until the edge, +0.5 after it) with variable width; its wraps drive hard sync.
#pragma once

#include "engine/CorrectionRing.h"
#include "engine/PeriodicGenerator.h"

struct PulseGenerator : PeriodicGenerator
{
    // Each part of the cycle lasts at least this many samples, whatever the width, so no edge is ever lost.
    static constexpr float minPartSamples = 1.25f;

    explicit PulseGenerator(float sampleRateHz) : PeriodicGenerator(sampleRateHz, 0.5f) {}

    CorrectionRing ring;
    float levelSign = 1.0f;          // +1 before the edge (output -0.5), -1 after it (output +0.5)
    bool wrapped = false;            // the phase wrapped during the last sample; read by synced oscillators
    float recordedFrequency = 0.0f;  // Hz, the oscillator's frequency before FM; read by synced oscillators

    // pulseWidth must be within 0..1.
    float process(float frequency, float fmAmount, float fmFrequency, float pulseWidth, const SyncEvent& sync)
    {
        recordedFrequency = frequency;
        wrapped = false;
        const float inc = increment(modulatedFrequency(frequency, fmAmount, fmFrequency));
        if (sync.wrapped)
        {
            if (levelSign < 0.0f)
            {
                levelSign = 1.0f;
                ring.placeStep(sync.sinceWrap, 1.0f);
            }
            phase = inc * sync.sinceWrap + inc;
        }
        else
        {
            phase += inc;
        }
        // The phase wraps only after the edge, so a cycle always has both parts.
        if (phase >= 1.0f && levelSign < 0.0f)
        {
            phase -= 1.0f;
            levelSign = 1.0f;
            ring.placeStep(phase / inc, 1.0f);
            wrapped = true;
        }
        const float edge = (1.0f - 2.0f * minPartSamples * inc) * (pulseWidth - 0.5f) + 0.5f;
        if (phase >= edge && levelSign > 0.0f)
        {
            levelSign = -1.0f;
            const float sinceEdge = (phase - edge) / inc;
            ring.placeStep(sinceEdge < 1.0f ? sinceEdge : 1.0f, -1.0f);
        }
        return ring.readOut() - 0.5f * levelSign;
    }

    void reset(float startPhase)
    {
        restart(startPhase);
        ring.clear();
        levelSign = 1.0f;
    }
};
