// The sample rate the master effects size their buffers for, kept inside what they can hold.
#pragma once

#include <algorithm>
#include <cmath>

namespace effects
{
constexpr float kFallbackSampleRate = 44100.0f;
// Below 1 kHz the chorus line would be shorter than its sweep; above 768 kHz the four-second delay
// lines would run to gigabytes. Neither is a rate an audio host runs at.
constexpr float kMinimumSampleRate = 1000.0f;
constexpr float kMaximumSampleRate = 768000.0f;

// Hz; a rate that is not above 0 (or not a number) builds the effects for 44,100 Hz.
inline float usableSampleRate(float sampleRate)
{
    if (!std::isfinite(sampleRate) || sampleRate <= 0.0f)
        return kFallbackSampleRate;
    return std::clamp(sampleRate, kMinimumSampleRate, kMaximumSampleRate);
}

// 44,100 Hz over the rate, at most 1: tone filters keep their corners in Hz at higher rates.
inline float sampleRateScale(float sampleRate) { return std::min(1.0f, 44100.0f / sampleRate); }
}  // namespace effects
