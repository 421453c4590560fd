// Ladder notch from a mix of the input and the stage outputs, run at four times the sample rate.
#pragma once

#include "engine/LadderFilter.h"

class FilterN24db : public LadderVariant<FilterN24db>
{
public:
    explicit FilterN24db(float sampleRate);

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
