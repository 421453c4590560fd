// Ladder high-pass (12 dB per octave) from the input and the first two stages, run at four times the sample rate.
#pragma once

#include "engine/LadderFilter.h"

class FilterHp12db : public LadderFilter
{
public:
    explicit FilterHp12db(float sampleRate);

    // Filters *sample in place at cutoff c (0..1) and resonance r (0..1); the cutoff coefficients are
    // recomputed only when updateCutoffNow is set and c changed.
    void process(float* sample, float c, float r, bool updateCutoffNow)
    {
        // No input or output gain; the feedback saturates symmetrically.
        if (updateCutoffNow && c != lastCutoff)
            updateCutoff(c, kTuning, 1.0f, 1.0f);
        const Outputs o = runStages(*sample, c, r);
        feedback = dsp::saturate(2.0f * o.y4);
        *sample = finish(o.u - 2.0f * o.y1 + o.y2);
    }
};
