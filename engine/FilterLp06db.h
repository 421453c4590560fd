// Ladder low-pass tapped after the first stage (6 dB per octave), run at four times the sample rate.
#pragma once

#include "engine/LadderFilter.h"

class FilterLp06db : public LadderVariant<FilterLp06db>
{
public:
    explicit FilterLp06db(float sampleRate);

    static constexpr float kTuningConstant = kTuning;
    static constexpr float kCutoffSlope = 0.8f;  // k = slope * c + offset
    static constexpr float kCutoffOffset = 1.0f;
    static constexpr bool kAsymmetricFeedback = true;
    template <class Float>
    static Float output(const Taps<Float>& t, [[maybe_unused]] Float c, [[maybe_unused]] Float r,
                        [[maybe_unused]] Float outputGain)
    {
        return (1.5f * c * r + outputGain) * dsp::saturate(2.0f * t.y1);
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
