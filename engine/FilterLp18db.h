// Ladder low-pass tapped after three stages (18 dB per octave), run at four times the sample rate.
#pragma once

#include "engine/LadderFilter.h"

class FilterLp18db : public LadderVariant<FilterLp18db>
{
public:
    explicit FilterLp18db(float sampleRate);

    static constexpr float kTuningConstant = kTuning;
    static constexpr float kCutoffSlope = 1.0f;  // k = slope * c + offset
    static constexpr float kCutoffOffset = 1.0f;
    static constexpr bool kAsymmetricFeedback = true;
    template <class Float>
    static Float output(const Taps<Float>& t, [[maybe_unused]] Float c, [[maybe_unused]] Float r,
                        [[maybe_unused]] Float outputGain)
    {
        return (1.5f * c * r + outputGain) * dsp::saturate(2.0f * t.y3);
    }

    // The resonance's gains, recomputed only when it changed; the lockstep bank calls this too.
    void prepare(float r)
    {
        if (r != lastResonance)
        {
            lastResonance = r;
            const float d = (1.0f - r) * (1.0f - r);
            inputGain = 2.0f - d * d;
            outputGain = 1.1f * r + 1.0f;
        }
    }
};
