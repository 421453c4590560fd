// One chorus voice: a short line read at a triangle-swept delay of 0.7 to 4.9 ms, then softened.
#include "engine/Chorus.h"

#include <algorithm>
#include <cmath>

#include "engine/EffectSampleRate.h"

namespace
{
// A larger step per sample could carry the sweep past the ends of the line.
constexpr float kMaximumIncrement = 0.25f;

float limitedIncrement(float rateHz, float sampleRate)
{
    const float increment = rateHz * 4.0f / sampleRate;
    return increment > 0.0f ? std::min(increment, kMaximumIncrement) : 0.0f;  // NaN stands still
}
}  // namespace

Chorus::Chorus(float rate, float startPhase, float rateHz)
    : sampleRate(effects::usableSampleRate(rate))
    ,
    // Twice the base delay: room for the deepest read plus the interpolation's second tap.
    buffer(2 * static_cast<size_t>(std::floor(0.007f * sampleRate)), 0.0f)
    , length(static_cast<int>(buffer.size()))
    , writePosition(length - 1)
    , triangle(std::isnan(startPhase) ? -1.0f : 2.0f * std::clamp(startPhase, 0.0f, 1.0f) - 1.0f)
    ,
    // Four units of travel (-1 to 1 and back) per cycle.
    increment(limitedIncrement(rateHz, sampleRate))
{
}
