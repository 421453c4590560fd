// Band-limited triangle from -0.5 to +0.5, corrected at its turns by a centred kernel and so delayed 15 samples.
#pragma once

#include "engine/CorrectionRing.h"
#include "engine/PeriodicGenerator.h"

#include <array>
#include <cstddef>

struct TriangleGenerator : PeriodicGenerator
{
    // The corner kernel is centred 16 table samples in; the ring plays its second sample first, so the ramp
    // must lag by 15 samples to meet the kernel's centre.
    static constexpr int delaySamples = 15;
    // The corner kernel is scaled for this weight per unit of phase increment (see tools/tablegen).
    static constexpr float cornerWeightScale = 32.0f;
    static constexpr int skipSyncStepAtSamplesSinceTurn = 16;

    explicit TriangleGenerator(float sampleRateHz) : PeriodicGenerator(sampleRateHz, 0.45f) {}

    CorrectionRing ring;      // corner corrections, added at the output
    CorrectionRing syncRing;  // sync-jump corrections, added at the delay line's input like the ramp
    float directionSign = 1.0f;
    int samplesSinceTurn = 0;
    std::array<float, delaySamples> delayLine{};
    int delayIndex = 0;

    float process(float frequency, float fmAmount, float fmFrequency, const SyncEvent& sync)
    {
        // The phase covers one ramp, half a cycle, so it runs at twice the frequency.
        const float inc2 = 2.0f * increment(modulatedFrequency(frequency, fmAmount, fmFrequency));
        phase += inc2;
        // Only the value 16 matters below; stopping the count past it keeps a stopped triangle from overflowing.
        if (samplesSinceTurn <= skipSyncStepAtSamplesSinceTurn)
            ++samplesSinceTurn;
        if (phase >= 1.0f)
        {
            directionSign = -directionSign;
            phase -= 1.0f;
            ring.placeCorner(phase / inc2, directionSign * cornerWeightScale * inc2);
            samplesSinceTurn = 0;
        }
        if (sync.wrapped)
        {
            const float restartPhase = inc2 * sync.sinceWrap;
            if (samplesSinceTurn != skipSyncStepAtSamplesSinceTurn)
                syncRing.placeStep(sync.sinceWrap, directionSign > 0.0f ? phase - restartPhase : restartPhase - phase);
            phase = restartPhase;
        }
        const float value = directionSign > 0.0f ? phase : 1.0f - phase;

        const float output = delayLine[static_cast<std::size_t>(delayIndex)] + ring.readOut();
        delayLine[static_cast<std::size_t>(delayIndex)] = value - 0.5f + syncRing.readOut();
        delayIndex = delayIndex + 1 < delaySamples ? delayIndex + 1 : 0;
        return output;
    }

    void reset(float startPhase)
    {
        restart(startPhase);
        ring.clear();
        syncRing.clear();
        directionSign = 1.0f;
        samplesSinceTurn = 0;
        delayLine.fill(0.0f);
        delayIndex = 0;
    }
};
