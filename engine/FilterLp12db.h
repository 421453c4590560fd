// Ladder low-pass tapped after two stages (12 dB per octave), run at four times the sample rate.
#pragma once

#include "engine/LadderFilter.h"

class FilterLp12db : public LadderFilter
{
public:
    explicit FilterLp12db(float sampleRate);

    // Filters *sample in place at cutoff c (0..1) and resonance r (0..1); the cutoff coefficients are
    // recomputed only when updateCutoffNow is set and c changed.
    void process(float* sample, float c, float r, bool updateCutoffNow)
    {
        if (r != lastResonance)
        {
            lastResonance = r;
            inputGain = 2.0f - (1.0f - r) * (1.0f - r);
            outputGain = 1.1f * r + 1.0f;
        }
        const float x = *sample * inputGain;
        if (updateCutoffNow && c != lastCutoff)
            updateCutoff(c, kTuning, 0.9f, 1.0f);
        const Outputs o = runStages(x, c, r);
        updateFeedback(o.y4);
        *sample = finish((1.5f * c * r + outputGain) * dsp::saturate(2.0f * o.y2));
    }
};
