// Gentle one-pole low-pass in the delay's feedback path, darker with each repeat as its setting rises.
#include "engine/DelayToneFilter.h"

#include <algorithm>

#include "engine/EffectSampleRate.h"

namespace
{
constexpr float kLn20 = 2.9957323f;
constexpr float kPi = 3.1415927f;
constexpr float kWidestCorner = 0.38f;  // normalised corner at the brightest setting

// (20^x - 1) / 19: 0 at 0, 1 at 1.
float exp20(float x) { return (std::exp(x * kLn20) - 1.0f) / 19.0f; }
}  // namespace

DelayToneFilter::DelayToneFilter(float sampleRate)
    : sampleRateScale(effects::sampleRateScale(effects::usableSampleRate(sampleRate)))
{
}

float DelayToneFilter::coefficientFor(float normalised, float rateScale)
{
    const float a = exp20(1.0f - std::clamp(normalised, 0.0f, 1.0f)) * rateScale * kWidestCorner;
    // Polynomial correction of the corner before the one-pole mapping.
    const float tuning = 0.9988f - 0.649f * a + 0.4955f * a * a + 1.873f * a * a * a;
    const float e = tuning * kPi * a;
    // Fifth-order series for exp(-e): kept instead of std::exp so coefficients match stored sounds.
    const float e2 = e * e;
    const float e3 = e2 * e;
    const float e4 = e3 * e;
    const float e5 = e4 * e;
    const float t = 1.0f - e + e2 / 2.0f - e3 / 6.0f + e4 / 24.0f - e5 / 120.0f;
    return (1.0f - t) * 2.0f;
}

void DelayToneFilter::setTone(float normalised)
{
    if (!std::isnan(normalised))
        coefficient = coefficientFor(normalised, sampleRateScale);
}

void DelayToneFilter::clear()
{
    v = 0.0f;
    w = 0.0f;
}
