// Saturating four-pole ladder low-pass (24 dB per octave), run at four times the sample rate.
#pragma once

#include "engine/LadderFilter.h"

class FilterLp24db : public LadderVariant<FilterLp24db>
{
public:
    explicit FilterLp24db(float sampleRate);

    static constexpr float kTuningConstant = 1.4f;
    static constexpr float kCutoffSlope = 1.4f;  // k = slope * c + offset
    static constexpr float kCutoffOffset = 1.05f;
    static constexpr bool kAsymmetricFeedback = true;
    template <class Float>
    static Float output(const Taps<Float>& t, [[maybe_unused]] Float c, [[maybe_unused]] Float r,
                        [[maybe_unused]] Float outputGain)
    {
        return (2.5f * c * r + outputGain) * t.feedback;
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
