// Slow random ramp between 0 and 1 that makes a reverb line's length wander.
#pragma once

#include <cstdint>

#include "engine/DspMath.h"

struct DriftGenerator
{
    // Each ramp lasts a random 22,188 to 44,955 samples.
    static constexpr int kShortestRamp = 22188;
    static constexpr float kRampSpread = 22768.0f;
    // Output smoothing: (s * 5000 + value) * 0.00019996 follows the ramp over about 5,000 samples.
    static constexpr float kSmoothingKeep = 5000.0f;
    static constexpr float kSmoothingScale = 0.00019996f;

    // Advances one sample; returns the smoothed value, 0..1.
    float tick()
    {
        if (value >= 1.0f)
            step = -1.0f / drawRampLength();
        if (value <= 0.0f)
            step = 1.0f / drawRampLength();
        value += step;
        smoothed = (smoothed * kSmoothingKeep + value) * kSmoothingScale;
        return smoothed;
    }

    float drawRampLength()
    {
        seed = dsp::advanceNoiseSeed(seed);
        return static_cast<float>(static_cast<int>(dsp::unipolarNoise(seed) * kRampSpread) + kShortestRamp);
    }

    std::int32_t seed = 1;
    float value = 0.0f;
    float step = 0.0f;
    float smoothed = 0.0f;
};
