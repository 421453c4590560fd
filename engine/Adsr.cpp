// Exponential attack/decay/sustain/release envelope generator, ticked once per sample.
#include "engine/Adsr.h"

#include <algorithm>
#include <cmath>

namespace
{
// 176.4 / sample rate makes 1 / rateScale samples last 5.67 ms at any sample rate.
constexpr float kRateScaleNumerator = 176.4f;
// The attack aims above 1 so that the curve reaches 1 with a finite slope; a larger attack
// setting raises the target and makes the curve straighter.
constexpr float kAttackTarget = 1.04f;
constexpr float kAttackTargetPerSetting = 0.5f;
constexpr float kAttackSpeed = 200.0f;

float curveBase(float normalised) { return 1.0f - 0.5f * normalised; }
}  // namespace

Adsr::Adsr(float sampleRate) : rateScale(kRateScaleNumerator / sampleRate) {}

float Adsr::attackCoefficientFor(float normalised, float rs)
{
    return std::pow(curveBase(normalised), 24.0f) * rs * 7.0f + rs * 0.0003f;
}

float Adsr::decayCoefficientFor(float normalised, float rs)
{
    return std::pow(curveBase(normalised), 23.0f) * rs * 7.0f + rs * 0.0003f;
}

float Adsr::releaseCoefficientFor(float normalised, float rs)
{
    return (std::pow(curveBase(normalised), 22.0f) * rs * 2.0f + rs * 0.0003f) * 8.0f;
}

void Adsr::setAttack(float normalised)
{
    attackSetting = normalised;
    attackCoefficient = attackCoefficientFor(normalised, rateScale);
}

void Adsr::setDecay(float normalised)
{
    decaySetting = normalised;
    decayCoefficient = decayCoefficientFor(normalised, rateScale);
}

void Adsr::setRelease(float normalised) { releaseCoefficient = releaseCoefficientFor(normalised, rateScale); }

float Adsr::tick(bool gate)
{
    if (!gate)
    {
        if (value > 0.0f && state != release)
        {
            state = release;
            releaseRamp = 1.0f;
        }
        if (value <= 0.0f)
            state = idle;
    }

    float level = 0.0f;
    switch (state)
    {
    case attack:
        value += (kAttackTarget + kAttackTargetPerSetting * attackSetting - value) *
                 (attackCoefficient * rateScale * kAttackSpeed);
        if (value > 1.0f)
        {
            state = decay;
            value = 1.0f;
        }
        level = value;
        break;
    case decay:
        // Decay and release aim at -rateScale, so they reach their targets in finite time even at 0.
        value -= (rateScale + value) * decayCoefficient;
        if (value <= sustain)
        {
            state = sustainStage;
            level = sustain;
        }
        else
        {
            level = value;
        }
        break;
    case sustainStage:
        value = sustain;
        level = value;
        break;
    case release:
        releaseRamp = std::max(0.0f, releaseRamp - rateScale);
        value -= (1.0f - releaseRamp) * (rateScale + value) * releaseCoefficient;
        if (value < 0.0f)
        {
            state = idle;
            value = 0.0f;
        }
        level = value;
        break;
    default:
        value = 0.0f;
        level = 0.0f;
        break;
    }

    // A NaN or infinite coefficient or sustain would otherwise stick in the level for good (NaN
    // never compares past a stage boundary); the stage keeps running from 0 and recovers as soon
    // as the setting is valid again.
    if (!std::isfinite(value))
        value = 0.0f;
    if (!std::isfinite(level))
        level = 0.0f;
    output = level;
    return level;
}
