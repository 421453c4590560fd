// Zero-delay-feedback four-pole ladder low-pass, run at the base sample rate without oversampling.
#include "engine/FilterZdfLadder.h"

#include <algorithm>
#include <cmath>

#include "engine/DspMath.h"

namespace
{
constexpr double kPi = 3.141592653589793;

// Slightly asymmetric saturation of an integrator state.
float saturateState(float s)
{
    const float m = s > 0.0f ? 0.99999f : 1.00001f;
    return dsp::saturate(2.0f * m * s);
}
}  // namespace

FilterZdfLadder::FilterZdfLadder(float rate)
    : sampleRate(rate)
    , inverseSampleRate(1.0 / rate)
    , sampleRateScale(std::min(1.0f, 44100.0f / rate))
{
}

void FilterZdfLadder::clear() { s1 = s2 = s3 = s4 = 0.0f; }

void FilterZdfLadder::process(float* sample, float c, float r)
{
    const float x = *sample * (2.0f * r + 1.0f);
    float k = 4.0f * r;
    // Extra feedback at low cutoffs, growing towards cutoff 0.
    if (c <= 0.25f)
    {
        const float low = (0.25f - c) * 4.0f;
        k += low * low;
    }

    noiseSeed = dsp::advanceNoiseSeed(noiseSeed);
    warpedFrequency = 0.5f * c * sampleRateScale * sampleRate * (0.999f + 0.001f * dsp::unipolarNoise(noiseSeed));

    // Bilinear pre-warping in double precision: near the Nyquist frequency the tangent is steep.
    double a = 2.0 * std::tan(kPi * warpedFrequency * inverseSampleRate);
    if (!(a > 0.0))  // also for NaN
        a = 0.0;
    g = static_cast<float>(a / (a + 2.0));
    h = static_cast<float>((a - 2.0) / (a + 2.0));

    // Solve the feedback loop for the output, then run the four bilinear one-poles.
    const float v = 0.5f * x;
    const float g2 = g * g;
    const float gainProduct = g2 * g2;
    const float stateSum = ((s1 * g + s2) * g + s3) * g + s4;
    const float y = (v * gainProduct + stateSum) / (gainProduct * k + 1.0f);

    float t = g * (v - k * y);
    const float o1 = s1 + t;
    s1 = t - h * o1;
    t = g * o1;
    const float o2 = s2 + t;
    s2 = t - h * o2;
    t = g * o2;
    const float o3 = s3 + t;
    s3 = t - h * o3;
    t = g * o3;
    s4 = dsp::flushTiny(t - h * y);

    s1 = dsp::flushTiny(saturateState(s1));
    s2 = dsp::flushTiny(s2);
    s3 = dsp::flushTiny(saturateState(s3));

    if (std::isfinite(y) && std::isfinite(s2) && std::isfinite(s4))
    {
        *sample = y;
        return;
    }
    // A NaN or infinite setting or input must not leave the filter stuck.
    clear();
    *sample = 0.0f;
}
