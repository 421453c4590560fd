// Common core of the saturating four-pole ladder filters, which run at four times the sample rate.
#pragma once

#include <cmath>
#include <cstdint>

#include "engine/DspMath.h"

class LadderFilter
{
public:
    static constexpr int kStages = 4;

    explicit LadderFilter(float sampleRate);

    // State a silent voice starts its tail from.
    void resetForIdle();

    // Start afresh after the state went non-finite, forcing new coefficients.
    void clear();

    float sampleRateScale;  // makes cutoff 1 about 22,050 Hz at any sample rate from 11,025 Hz up
    float lastCutoff = -1.0f;
    float tuning = 0.0f;
    float k = 0.0f;  // feedback scale
    float g = 0.0f;  // one-pole coefficient
    float lastResonance = -1.0f;
    float inputGain = 0.0f;
    float outputGain = 0.0f;
    // Each stage keeps two copies of its last output: A is subtracted, B added. They differ only
    // after an idle reset, which starts the stages from an offset.
    float subtracted[kStages] = {0.0f, 0.0f, 0.0f, 0.0f};
    float added[kStages] = {0.4f, 0.4f, 0.4f, 0.4f};
    float feedback = 0.4f;
    std::int32_t noiseSeed = 1;

protected:
    struct Outputs
    {
        float u;  // stage input after the resonance feedback
        float y1, y2, y3, y4;
    };

    // Coefficients for cutoff c (0..1); tuningConstant adjusts the cutoff to the family member.
    void updateCutoff(float c, float tuningConstant, float kSlope, float kOffset)
    {
        lastCutoff = c;
        const float w = sampleRateScale * c * 0.5f;
        tuning = -0.649f * w + 0.4955f * w * w + 1.873f * w * w * w + tuningConstant;
        k = kSlope * c + kOffset;
        const float e = -2.0f * kPi * tuning * w;
        // Fifth-order series for 1 - exp(e).
        g = 1.0f - (1.0f + e + e * e / 2.0f + e * e * e / 6.0f + e * e * e * e / 24.0f +
                    e * e * e * e * e / 120.0f);
    }

    // The feedback subtraction, a tiny cutoff-dependent noise and the four one-pole stages.
    Outputs runStages(float sample, float c, float r)
    {
        noiseSeed = dsp::advanceNoiseSeed(noiseSeed);
        // The noise keeps the ladder alive at low cutoffs and fades out as the cutoff opens.
        const float n = (1.0f - c) * dsp::unipolarNoise(noiseSeed) * 0.001f;
        const float gn = g + n * c;
        Outputs o;
        o.u = sample - kFeedbackGain * r * feedback * k;
        o.y1 = dsp::flushTiny(added[0] + gn * (o.u + n - subtracted[0]));
        o.y2 = dsp::flushTiny(added[1] + gn * (o.y1 - subtracted[1]));
        o.y3 = dsp::flushTiny(added[2] + gn * (o.y2 - subtracted[2]));
        o.y4 = dsp::flushTiny(added[3] + gn * (o.y3 - subtracted[3]));
        subtracted[0] = added[0] = o.y1;
        subtracted[1] = added[1] = o.y2;
        subtracted[2] = added[2] = o.y3;
        subtracted[3] = added[3] = o.y4;
        return o;
    }

    // Saturated feedback; the 0.99 on positive values adds a touch of asymmetry.
    void updateFeedback(float y4)
    {
        const float s = dsp::saturate(2.0f * y4);
        feedback = s > 0.0f ? s * 0.99f : s;
    }

    // A NaN or infinite setting or input must not leave the ladder stuck: it restarts from silence
    // and works again as soon as its inputs are valid.
    float finish(float out)
    {
        if (std::isfinite(out))
            return out;
        clear();
        return 0.0f;
    }

    static constexpr float kPi = 3.1415927f;
    static constexpr float kFeedbackGain = 4.2f;
    static constexpr float kTuning = 0.9988f;  // tuning constant of every member but the 24 dB low-pass
};
