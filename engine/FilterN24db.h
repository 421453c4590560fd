// Ladder notch from a mix of the input and the stage outputs, run at four times the sample rate.
#pragma once

#include "engine/LadderFilter.h"

class FilterN24db : public LadderFilter
{
public:
    explicit FilterN24db(float sampleRate);

    // Filters *sample in place at cutoff c (0..1) and resonance r (0..1); the cutoff coefficients are
    // recomputed only when updateCutoffNow is set and c changed.
    void process(float* sample, float c, float r, bool updateCutoffNow)
    {
        prepare(r);
        run<FilterN24db>(sample, 1, c, r, updateCutoffNow);
    }

    // The four sub-samples of one base-rate sample, as four process calls with only the first updating.
    void processOversampled(float* samples, float c, float r)
    {
        prepare(r);
        run<FilterN24db>(samples, 4, c, r, true);
    }

    static constexpr float kTuningConstant = kTuning;
    static constexpr float kCutoffSlope = 1.0f;  // k = slope * c + offset
    static constexpr float kCutoffOffset = 1.0f;
    static constexpr bool kAsymmetricFeedback = true;
    template <class Float>
    static Float output(const Taps<Float>& t, [[maybe_unused]] Float c, [[maybe_unused]] Float r,
                        [[maybe_unused]] Float outputGain)
    {
        return (c * r + outputGain) * (t.u - 2.0f * t.y1 + 4.0f * t.y2 - 4.0f * t.y3);
    }

    // The resonance's gains, recomputed only when it changed; the lockstep bank calls this too.
    void prepare(float r)
    {
        if (r != lastResonance)
        {
            lastResonance = r;
            inputGain = 2.0f - (1.0f - r) * (1.0f - r);
            outputGain = 1.1f * r + 1.0f;
        }
    }
};
