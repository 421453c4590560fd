// Common core of the saturating four-pole ladder filters, which run at four times the sample rate.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/DspMath.h"
#include "engine/LaneMath.h"

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

    // One sub-sample's signals, for the variants' output taps; Float is float for one voice or
    // dsp::Float4 for four voices side by side.
    template <class Float>
    struct Taps
    {
        Float u;  // stage input after the resonance feedback
        Float y1, y2, y3, y4;
        Float feedback;  // the saturated feedback just computed
    };

    // The coefficients of a cutoff c (0..1); the tuning constant adjusts the cutoff to the family member.
    template <class Float>
    struct Coefficients
    {
        Float tuning, k, g;
    };

    template <class Float>
    static Coefficients<Float> coefficientsFor(Float c, Float scale, float tuningConstant, float kSlope, float kOffset)
    {
        const Float w = scale * c * 0.5f;
        Coefficients<Float> out;
        const Float w2 = w * w;
        out.tuning = (-0.649f * w + tuningConstant) + (0.4955f * w2 + 1.873f * w2 * w);
        out.k = kSlope * c + kOffset;
        const Float e = -2.0f * kPi * out.tuning * w;
        // Fifth-order series for 1 - exp(e), with the powers formed side by side and multiplied by
        // the factorials' reciprocals: the coefficients are recomputed every sample while the cutoff
        // moves, and everything in the sample waits for them.
        const Float e2 = e * e;
        const Float e3 = e2 * e;
        const Float e4 = e2 * e2;
        const Float e5 = e4 * e;
        out.g = 1.0f - (((1.0f + e) + (e2 * 0.5f + e3 * (1.0f / 6.0f))) + (e4 * (1.0f / 24.0f) + e5 * (1.0f / 120.0f)));
        return out;
    }

    // The resonance loop of one ladder (Float = float, Int = int32_t) or of four in lockstep
    // (dsp::Float4, dsp::Int4). Written once for both so that each lane of the lockstep bank
    // computes exactly what its own filter would. Speed is limited by the latency of the
    // resonance loop, not by the number of operations.
    template <class Float, class Int>
    struct Loop
    {
        Float gain;  // input gain
        Float feedbackScale;
        Float noiseScale;
        Float cutoffNoiseScale;
        Float g;
        Float c;
        Float r;
        Float outputGain;
        Float a1, a2, a3, a4;  // the stages' subtracted copies
        Float b1, b2, b3, b4;  // the stages' added copies
        Float fb;
        Int seed;

        // k is the feedback coefficient, c (0..1) the cutoff the noise fades with, r (0..1) the resonance.
        void setUp(Float cutoff, Float resonance, Float k)
        {
            c = cutoff;
            r = resonance;
            feedbackScale = kFeedbackGain * r * k;
            // The noise n = (1 - c) * rnd * 0.001 with rnd the seed's low 31 bits * 2^-31, and c * n.
            noiseScale = (1.0f - c) * 0.001f * dsp::kTwoToMinus31;
            cutoffNoiseScale = noiseScale * c;
        }

        template <class Variant>
        Float step(Float input)
        {
            seed = dsp::advanceNoiseSeed(seed);
            // The noise keeps the ladder alive at low cutoffs and fades out as the cutoff opens.
            const Float random = dsp::noiseBits(seed);
            const Float n = random * noiseScale;
            const Float gn = g + random * cutoffNoiseScale;

            // Stage k gives B + g' * (input - A). Unrolled, each stage output is a part known from the
            // past (with zero input) plus g'^k times the new ladder input u, so the resonance loop
            // from one feedback value to the next passes only one multiply-add and the saturation.
            const Float g2 = gn * gn;
            const Float g3 = g2 * gn;
            const Float g4 = g2 * g2;
            const Float d1 = b1 - gn * a1;
            const Float d2 = b2 - gn * a2;
            const Float d3 = b3 - gn * a3;
            const Float d4 = b4 - gn * a4;
            const Float past1 = d1 + gn * n;
            const Float past2 = d2 + gn * past1;
            const Float past3 = d3 + gn * past2;
            // The last stage's part expanded in powers of g' and summed pairwise rather than through
            // the three stages before it: every stage output of one sub-sample reaches the next
            // sub-sample's feedback through this sum, and the pairwise form is two steps shorter.
            const Float past4 = (d4 + gn * d3) + g2 * ((d2 + gn * d1) + g2 * n);
            const Float x = input * gain;

            Taps<Float> t;
            t.u = x - feedbackScale * fb;
            t.y1 = past1 + gn * t.u;
            t.y2 = past2 + g2 * t.u;
            t.y3 = past3 + g3 * t.u;
            // Twice y4 straight from the feedback value; scaling by 2 is exact.
            const Float twiceY4 = 2.0f * (past4 + g4 * x) - (2.0f * g4 * feedbackScale) * fb;
            t.y4 = 0.5f * twiceY4;
            a1 = b1 = t.y1;
            a2 = b2 = t.y2;
            a3 = b3 = t.y3;
            a4 = b4 = t.y4;

            const Float s = dsp::saturate(twiceY4);
            // Positive feedback is scaled by 0.99 for a touch of asymmetry. Written without a
            // branch: the sign of an audio signal is unpredictable.
            if constexpr (Variant::kAsymmetricFeedback)
                fb = s - 0.01f * dsp::positivePart(s);
            else
                fb = s;
            t.feedback = fb;
            return Variant::output(t, c, r, outputGain);
        }
    };

protected:
    static constexpr float kPi = 3.1415927f;
    static constexpr float kFeedbackGain = 4.2f;
    static constexpr float kTuning = 0.9988f;  // tuning constant of every member but the 24 dB low-pass

    // Runs `count` consecutive sub-samples in place; only the first may recompute the cutoff
    // coefficients. Variant supplies the tuning constants, whether positive feedback is scaled by
    // 0.99, and its output tap. The state lives in locals for the loop.
    template <class Variant>
    void run(float* samples, int count, float c, float r, bool updateCutoffNow)
    {
        if (updateCutoffNow && c != lastCutoff)
        {
            lastCutoff = c;
            const auto coefficients = coefficientsFor(c, sampleRateScale, Variant::kTuningConstant,
                                                      Variant::kCutoffSlope, Variant::kCutoffOffset);
            tuning = coefficients.tuning;
            k = coefficients.k;
            g = coefficients.g;
        }

        Loop<float, std::int32_t> loop;
        loop.gain = inputGain;
        loop.g = g;
        loop.outputGain = outputGain;
        loop.setUp(c, r, k);
        loop.a1 = subtracted[0], loop.a2 = subtracted[1], loop.a3 = subtracted[2], loop.a4 = subtracted[3];
        loop.b1 = added[0], loop.b2 = added[1], loop.b3 = added[2], loop.b4 = added[3];
        loop.fb = feedback;
        loop.seed = noiseSeed;
        float outputSum = 0.0f;  // non-finite if any output is

        for (int i = 0; i < count; ++i)
        {
            samples[i] = loop.template step<Variant>(samples[i]);
            outputSum += samples[i];
        }

        noiseSeed = loop.seed;
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
        subtracted[0] = dsp::flushTiny(loop.a1);
        subtracted[1] = dsp::flushTiny(loop.a2);
        subtracted[2] = dsp::flushTiny(loop.a3);
        subtracted[3] = dsp::flushTiny(loop.a4);
        added[0] = dsp::flushTiny(loop.b1);
        added[1] = dsp::flushTiny(loop.b2);
        added[2] = dsp::flushTiny(loop.b3);
        added[3] = dsp::flushTiny(loop.b4);
        feedback = dsp::flushTiny(loop.fb);
    }
};

// The public face the ladder family shares: each member supplies its constants, its output tap and
// its resonance gains (`prepare`); these run it.
template <class Variant>
class LadderVariant : public LadderFilter
{
public:
    using LadderFilter::LadderFilter;

    // Filters *sample in place at cutoff c (0..1) and resonance r (0..1); the cutoff coefficients are
    // recomputed only when updateCutoffNow is set and c changed.
    void process(float* sample, float c, float r, bool updateCutoffNow)
    {
        static_cast<Variant*>(this)->prepare(r);
        run<Variant>(sample, 1, c, r, updateCutoffNow);
    }

    // The four sub-samples of one base-rate sample, as four process calls with only the first updating.
    void processOversampled(float* samples, float c, float r)
    {
        static_cast<Variant*>(this)->prepare(r);
        run<Variant>(samples, 4, c, r, true);
    }
};
