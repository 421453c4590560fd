// Schroeder all-pass step that smears the reverb's echoes into a dense tail.
#pragma once

#include <algorithm>
#include <vector>

#include "engine/DspMath.h"

struct AllpassDiffuser
{
    static constexpr float kCoefficient = 0.68f;

    explicit AllpassDiffuser(int samples) : line(static_cast<size_t>(std::max(samples, 1)), 0.0f) {}

    float process(float x)
    {
        const float u = line[static_cast<size_t>(index)];
        const float w = x + kCoefficient * u;
        line[static_cast<size_t>(index)] = dsp::flushTiny(w);
        if (++index == static_cast<int>(line.size()))
            index = 0;
        return u - kCoefficient * w;
    }

    void clear()
    {
        std::fill(line.begin(), line.end(), 0.0f);
        index = 0;
    }

    std::vector<float> line;
    int index = 0;
};
