// Two saturating state-variable stages in series (low-, high- or band-pass), run at four times the sample rate.
#pragma once

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
    void process(float* sample, float c, float r, bool updateCutoffNow)
    {
        if (updateCutoffNow)
        {
            lastCutoff = c;
            f = kPi * c * sampleRateScale;
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
        const float c0 = lastCutoff;

        const float x = *sample;
        noiseSeed = dsp::advanceNoiseSeed(noiseSeed);
        low1 = dsp::flushTiny(low1 + (dsp::unipolarNoise(noiseSeed) * 0.001f * (1.0f - c0) + f) * band1);
        const float high1 = x - low1 - q1 * band1;
        // The band states saturate smoothly at +-10.
        band1 = dsp::flushTiny(10.0f * dsp::saturate(0.2f * (f * high1 + band1)));

        const float z = mode == lowPass ? low1 : (mode == highPass ? high1 : band1);
        noiseSeed = dsp::advanceNoiseSeed(noiseSeed);
        low2 = dsp::flushTiny(low2 + (dsp::unipolarNoise(noiseSeed) * 0.001f * (1.0f - c0) + f) * band2);
        const float high2 = z - low2 - q2 * band2;
        band2 = dsp::flushTiny(10.0f * dsp::saturate(0.2f * (f * high2 + band2)));

        const float out = mode == lowPass ? low2 : (mode == highPass ? high2 : band2);
        if (std::isfinite(out))
        {
            *sample = out;
            return;
        }
        // A NaN or infinite setting or input must not leave the filter stuck.
        clear();
        *sample = 0.0f;
    }

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
};
