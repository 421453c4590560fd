// Ladder high-pass (12 dB per octave) from the input and the first two stages, run at four times the sample rate.
#pragma once

#include "engine/LadderFilter.h"

class FilterHp12db : public LadderVariant<FilterHp12db>
{
public:
    explicit FilterHp12db(float sampleRate);

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
