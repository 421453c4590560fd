// One chorus voice: a short line read at a triangle-swept delay of 0.7 to 4.9 ms, then softened.
#pragma once

#include <cmath>
#include <vector>

#include "engine/DspMath.h"

class Chorus
{
public:
    static constexpr float kBaseDelayMs = 7.0f;
    // The sweep covers 0.1 to 0.7 of the base delay.
    static constexpr float kSweepDepth = 0.3f;
    static constexpr float kSweepCentre = 0.4f;
    // Fixed one-pole low-pass on the read-out; the offset keeps it clear of denormals in silence.
    static constexpr float kLowPassKeep = 0.7512746f;
    static constexpr float kLowPassTake = 0.24872541f;
    static constexpr float kLowPassOffset = 2.3283064e-10f;  // 2^-32

    // Sample rate in Hz; start phase 0..1 places the triangle (0 at its bottom, 1 at its top);
    // rate in sweeps per second. Phases outside 0..1 and rates that would step the sweep out of
    // the line are limited.
    Chorus(float sampleRate, float startPhase, float rateHz);

    // Stores *input in the line and returns the swept, low-passed read-out.
    float process(const float* input)
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

        const float y =
            buffer[static_cast<size_t>(read)] * a + buffer[static_cast<size_t>(readBefore)] - a * previousOutput;
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

    float sampleRate;
    std::vector<float> buffer;
    int length;
    int writePosition;
    float triangle;               // -1..1
    float direction = 1.0f;       // +1 rising, -1 falling
    float increment;              // per sample
    float previousOutput = 0.0f;  // all-pass interpolation state
    float lowPass = 0.0f;
};
