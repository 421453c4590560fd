// Two saturating state-variable stages in series (low-, high- or band-pass), run at four times the sample rate.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/DspMath.h"

class FilterStateVariable12db
{
public:
    enum Mode
    {
        lowPass = 0,
        highPass = 1,
        bandPass = 2
    };

    FilterStateVariable12db(float sampleRate, int filterMode);

    // Filters *sample in place at cutoff c (0..1) and resonance r (0..1); the coefficients are
    // recomputed only when updateCutoffNow is set.
    void process(float* sample, float c, float r, bool updateCutoffNow) { run(sample, 1, c, r, updateCutoffNow); }

    // The four sub-samples of one base-rate sample, as four process calls with only the first updating.
    void processOversampled(float* samples, float c, float r) { run(samples, 4, c, r, true); }

    // State a silent voice starts its tail from.
    void resetForIdle();

    // Start afresh after the state went non-finite, forcing new coefficients.
    void clear();

    int mode;
    float sampleRateScale;
    float lastCutoff = -1.0f;
    float f = 0.0f;  // frequency coefficient
    float lastResonance = -1.0f;
    float q1 = 0.0f;  // damping of the first stage
    float q2 = 0.0f;  // damping of the second stage
    float band1 = 0.4f, low1 = 0.4f, band2 = 0.4f, low2 = 0.4f;
    std::int32_t noiseSeed = 1;

private:
    static constexpr float kPi = 3.1415927f;
    static constexpr float kLowestCutoff = 1.0e-4f;

    void run(float* samples, int count, float c, float r, bool updateCutoffNow)
    {
        if (updateCutoffNow)
        {
            lastCutoff = c;
            // At a frequency coefficient of exactly 0 the band states stop following the input
            // while the noise keeps feeding the low states from them, so a closed filter would drift
            // away without bound. The floor (about 2 Hz) keeps it a filter.
            f = kPi * std::max(c, kLowestCutoff) * sampleRateScale;
            if (r != lastResonance)
            {
                lastResonance = r;
                // r^24 keeps the damping high until the very top of the resonance range, where the
                // second stage becomes almost undamped.
                const float r2 = r * r;
                const float r4 = r2 * r2;
                const float r8 = r4 * r4;
                const float resonance24 = r8 * r8 * r8;
                q2 = 1.0f / (resonance24 * 100000.0f + 0.5f);
                q1 = 1.0f / (resonance24 * 10.0f + 0.5f);
            }
        }
        const float noiseScale = 0.001f * (1.0f - lastCutoff);
        float b1 = band1, l1 = low1, b2 = band2, l2 = low2;
        std::int32_t seed = noiseSeed;
        bool finite = true;

        for (int i = 0; i < count; ++i)
        {
            const float x = samples[i];
            seed = dsp::advanceNoiseSeed(seed);
            l1 = l1 + (dsp::unipolarNoise(seed) * noiseScale + f) * b1;
            const float h1 = x - l1 - q1 * b1;
            // The band states saturate smoothly at +-10.
            b1 = 10.0f * dsp::saturate(0.2f * (f * h1 + b1));

            const float z = mode == lowPass ? l1 : (mode == highPass ? h1 : b1);
            seed = dsp::advanceNoiseSeed(seed);
            l2 = l2 + (dsp::unipolarNoise(seed) * noiseScale + f) * b2;
            const float h2 = z - l2 - q2 * b2;
            b2 = 10.0f * dsp::saturate(0.2f * (f * h2 + b2));

            samples[i] = mode == lowPass ? l2 : (mode == highPass ? h2 : b2);
            finite = finite && std::isfinite(samples[i]);
        }

        noiseSeed = seed;
        if (!finite)
        {
            // A NaN or infinite setting or input must not leave the filter stuck.
            clear();
            for (int i = 0; i < count; ++i)
                samples[i] = 0.0f;
            return;
        }
        band1 = dsp::flushTiny(b1);
        low1 = dsp::flushTiny(l1);
        band2 = dsp::flushTiny(b2);
        low2 = dsp::flushTiny(l2);
    }
};
