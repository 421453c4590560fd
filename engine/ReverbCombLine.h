// One of the reverb's feedback delay lines: its read point is set by the decay and wanders with a
// drift value, and the same decay sets how much it feeds back.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/DspMath.h"

struct ReverbCombLine
{
    // Spread of the drift, as a fraction of the line.
    static constexpr float kDriftDepth = 0.012f;

    explicit ReverbCombLine(int samples) : line(static_cast<size_t>(std::max(samples, 2)), 0.0f) {}

    // Reads the line at (length - 2) * (drift depth * drift + gain) + 1 samples back, writes
    // gain * read + x, and returns the read. gain 0..0.99, drift 0..1.
    float process(float x, float gain, float drift)
    {
        const int length = static_cast<int>(line.size());
        // At the longest decay the drift carries the read a little past length - 1; the limit
        // keeps it inside the line (up to 384 kHz it never has to act).
        const float fraction = std::max(kDriftDepth * drift + gain, 0.0f);
        const float position =
            std::min(static_cast<float>(length - 2) * fraction + 1.0f, static_cast<float>(length) - 0.5f);
        const float whole = std::floor(position);
        const float a = 1.0f - (position - whole);
        int read = writeIndex - static_cast<int>(whole);
        if (read < 0)
            read += length;
        const int readBefore = read > 0 ? read - 1 : read - 1 + length;

        // All-pass interpolated read. The drift keeps the read point moving, so it never rests on
        // a whole sample, where this interpolator would stop forgetting its state.
        const float y =
            line[static_cast<size_t>(read)] * a + line[static_cast<size_t>(readBefore)] - a * previousOutput;
        previousOutput = dsp::flushTiny(y);
        // A tail decaying in silence is cut to zero before it reaches the slow denormal range.
        line[static_cast<size_t>(writeIndex)] = dsp::flushTiny(y * gain + x);
        if (++writeIndex == length)
            writeIndex = 0;
        return y;
    }

    void clear()
    {
        std::fill(line.begin(), line.end(), 0.0f);
        writeIndex = 0;
        previousOutput = 0.0f;
    }

    std::vector<float> line;
    int writeIndex = 0;
    float previousOutput = 0.0f;
};
