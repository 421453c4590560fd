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
        prepare(r);
        run<FilterHp12db>(sample, 1, c, r, updateCutoffNow);
    }

    // The four sub-samples of one base-rate sample, as four process calls with only the first updating.
    void processOversampled(float* samples, float c, float r)
    {
        prepare(r);
        run<FilterHp12db>(samples, 4, c, r, true);
    }

    static constexpr float kTuningConstant = kTuning;
    static constexpr float kCutoffSlope = 1.0f;  // k = slope * c + offset
    static constexpr float kCutoffOffset = 1.0f;
    static constexpr bool kAsymmetricFeedback = false;
    template <class Float>
    static Float output(const Taps<Float>& t, [[maybe_unused]] Float c, [[maybe_unused]] Float r,
                        [[maybe_unused]] Float outputGain)
    {
        return t.u - 2.0f * t.y1 + t.y2;
    }

    // No input or output gain, and the feedback saturates symmetrically.
    void prepare(float) { inputGain = 1.0f; }
};
