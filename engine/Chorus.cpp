// One chorus voice: a short line read at a triangle-swept delay of 0.7 to 4.9 ms, then softened.
#include "engine/Chorus.h"

#include <algorithm>
#include <cmath>

#include "engine/DspMath.h"
#include "engine/EffectSampleRate.h"

namespace
{
// The sweep covers 0.1 to 0.7 of the base delay.
constexpr float kSweepDepth = 0.3f;
constexpr float kSweepCentre = 0.4f;
// Fixed one-pole low-pass on the read-out; the offset keeps it clear of denormals in silence.
constexpr float kLowPassKeep = 0.7512746f;
constexpr float kLowPassTake = 0.24872541f;
constexpr float kLowPassOffset = 2.3283064e-10f;  // 2^-32
// A larger step per sample could carry the sweep past the ends of the line.
constexpr float kMaximumIncrement = 0.25f;

float limitedIncrement(float rateHz, float sampleRate)
{
    const float increment = rateHz * 4.0f / sampleRate;
    return increment > 0.0f ? std::min(increment, kMaximumIncrement) : 0.0f;  // NaN stands still
}
}  // namespace

Chorus::Chorus(float rate, float startPhase, float rateHz)
    : sampleRate(effects::usableSampleRate(rate)),
      // Twice the base delay: room for the deepest read plus the interpolation's second tap.
      buffer(2 * static_cast<size_t>(std::floor(0.007f * sampleRate)), 0.0f),
      length(static_cast<int>(buffer.size())),
      writePosition(length - 1),
      triangle(std::isnan(startPhase) ? -1.0f : 2.0f * std::clamp(startPhase, 0.0f, 1.0f) - 1.0f),
      // Four units of travel (-1 to 1 and back) per cycle.
      increment(limitedIncrement(rateHz, sampleRate))
{
}

float Chorus::process(const float* input)
{
    if (triangle >= 1.0f)
        direction = -1.0f;
    if (triangle <= -1.0f)
        direction = 1.0f;
    triangle += direction * increment;

    const float delay = (triangle * kSweepDepth + kSweepCentre) * kBaseDelayMs * sampleRate * 0.001f;
    const float whole = std::floor(delay);
    const float a = 1.0f - (delay - whole);
    int read = writePosition - static_cast<int>(whole);
    if (read < 0)
        read += length;
    int readBefore = read - 1;
    if (readBefore < 0)
        readBefore += length;

    const float y = buffer[static_cast<size_t>(read)] * a + buffer[static_cast<size_t>(readBefore)] -
                    a * previousOutput;
    previousOutput = dsp::flushTiny(y);
    lowPass = lowPass * kLowPassKeep + y * kLowPassTake + kLowPassOffset;

    const float x = *input;
    // A NaN or infinite input is kept out of the line, where it would stay for 14 ms.
    buffer[static_cast<size_t>(writePosition)] = std::isfinite(x) ? x : 0.0f;
    if (++writePosition == length)
        writePosition = 0;

    if (!std::isfinite(lowPass))
    {
        // Only reachable by overflow from inputs near the float limit; restart the filters.
        previousOutput = 0.0f;
        lowPass = 0.0f;
    }
    return lowPass;
}
