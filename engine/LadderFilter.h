// Common core of the saturating four-pole ladder filters, which run at four times the sample rate.
#pragma once

#include <algorithm>
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

    // One sub-sample's signals, for the variants' output taps.
    struct Taps
    {
        float u;  // stage input after the resonance feedback
        float y1, y2, y3, y4;
        float feedback;  // the saturated feedback just computed
    };

protected:
    static constexpr float kPi = 3.1415927f;
    static constexpr float kFeedbackGain = 4.2f;
    static constexpr float kTuning = 0.9988f;  // tuning constant of every member but the 24 dB low-pass

    // Coefficients for cutoff c (0..1); the tuning constant adjusts the cutoff to the family member.
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

    // Runs `count` consecutive sub-samples in place; only the first may recompute the cutoff
    // coefficients. Variant supplies the tuning constants, whether positive feedback is scaled by
    // 0.99, and its output tap. The state lives in locals for the loop. Speed is limited by the
    // latency of the resonance loop, not by the number of operations.
    template <class Variant>
    void run(float* samples, int count, float c, float r, bool updateCutoffNow)
    {
        if (updateCutoffNow && c != lastCutoff)
            updateCutoff(c, Variant::kTuningConstant, Variant::kCutoffSlope, Variant::kCutoffOffset);

        const float gain = inputGain;
        const float feedbackScale = kFeedbackGain * r * k;
        float a1 = subtracted[0], a2 = subtracted[1], a3 = subtracted[2], a4 = subtracted[3];
        float b1 = added[0], b2 = added[1], b3 = added[2], b4 = added[3];
        float fb = feedback;
        std::int32_t seed = noiseSeed;
        // The noise n = (1 - c) * rnd * 0.001 with rnd the seed's low 31 bits * 2^-31, and c * n.
        const float noiseScale = (1.0f - c) * 0.001f * dsp::kTwoToMinus31;
        const float cutoffNoiseScale = noiseScale * c;
        float outputSum = 0.0f;  // non-finite if any output is

        for (int i = 0; i < count; ++i)
        {
            seed = dsp::advanceNoiseSeed(seed);
            // The noise keeps the ladder alive at low cutoffs and fades out as the cutoff opens.
            const float random = static_cast<float>(static_cast<std::uint32_t>(seed) & 0x7fffffffu);
            const float n = random * noiseScale;
            const float gn = g + random * cutoffNoiseScale;

            // Stage k gives B + g' * (input - A). Unrolled, each stage output is a part known from the
            // past (with zero input) plus g'^k times the new ladder input u, so the resonance loop
            // from one feedback value to the next passes only one multiply-add and the saturation.
            const float g2 = gn * gn;
            const float g3 = g2 * gn;
            const float g4 = g2 * g2;
            const float past1 = b1 - gn * a1 + gn * n;
            const float past2 = b2 - gn * a2 + gn * past1;
            const float past3 = b3 - gn * a3 + gn * past2;
            const float past4 = b4 - gn * a4 + gn * past3;
            const float x = samples[i] * gain;

            Taps t;
            t.u = x - feedbackScale * fb;
            t.y1 = past1 + gn * t.u;
            t.y2 = past2 + g2 * t.u;
            t.y3 = past3 + g3 * t.u;
            // Twice y4 straight from the feedback value; scaling by 2 is exact.
            const float twiceY4 = 2.0f * (past4 + g4 * x) - (2.0f * g4 * feedbackScale) * fb;
            t.y4 = 0.5f * twiceY4;
            a1 = b1 = t.y1;
            a2 = b2 = t.y2;
            a3 = b3 = t.y3;
            a4 = b4 = t.y4;

            const float s = dsp::saturate(twiceY4);
            // Positive feedback is scaled by 0.99 for a touch of asymmetry. Written without a
            // branch: the sign of an audio signal is unpredictable.
            fb = Variant::kAsymmetricFeedback ? s - 0.01f * std::max(s, 0.0f) : s;
            t.feedback = fb;
            samples[i] = Variant::output(t, c, r, outputGain);
            outputSum += samples[i];
        }

        noiseSeed = seed;
        if (!std::isfinite(outputSum))
        {
            // A NaN or infinite setting or input must not leave the ladder stuck: it restarts from
            // silence and works again as soon as its inputs are valid.
            clear();
            for (int i = 0; i < count; ++i)
                samples[i] = 0.0f;
            return;
        }
        // Decaying stages are cut to zero long before they could reach the slow denormal range.
        subtracted[0] = dsp::flushTiny(a1);
        subtracted[1] = dsp::flushTiny(a2);
        subtracted[2] = dsp::flushTiny(a3);
        subtracted[3] = dsp::flushTiny(a4);
        added[0] = dsp::flushTiny(b1);
        added[1] = dsp::flushTiny(b2);
        added[2] = dsp::flushTiny(b3);
        added[3] = dsp::flushTiny(b4);
        feedback = dsp::flushTiny(fb);
    }
};
