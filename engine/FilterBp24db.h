// Ladder band-pass from a mix of the stage outputs, run at four times the sample rate.
#pragma once

#include "engine/LadderFilter.h"

class FilterBp24db : public LadderFilter
{
public:
    explicit FilterBp24db(float sampleRate);

    // Filters *sample in place at cutoff c (0..1) and resonance r (0..1); the cutoff coefficients are
    // recomputed only when updateCutoffNow is set and c changed.
    void process(float* sample, float c, float r, bool updateCutoffNow)
    {
        if (r != lastResonance)
        {
            lastResonance = r;
            inputGain = 4.0f;  // fixed: the band-pass mix loses level
            outputGain = 1.1f * r + 1.0f;
        }
        const float x = *sample * inputGain;
        if (updateCutoffNow && c != lastCutoff)
            updateCutoff(c, kTuning, 1.0f, 1.0f);
        const Outputs o = runStages(x, c, r);
        updateFeedback(o.y4);
        *sample = finish((c * r + outputGain) * (2.0f * o.y2 - 4.0f * o.y3 + 2.0f * o.y4));
    }
};
