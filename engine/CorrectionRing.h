// Pending band-limiting corrections of one generator: kernels are added ahead and played one slot per sample.
#pragma once

#include "engine/OscTables.h"

#include <array>
#include <cstddef>

struct CorrectionRing
{
    // One kernel spans the whole ring: 32 samples of the table.
    static constexpr int size = 32;
    static_assert((size & (size - 1)) == 0, "the ring index wraps with a mask");
    static_assert(size * OscTables::blepPointsPerSample + 1 < OscTables::blepSize, "blep reads past its end");
    static_assert(size * OscTables::sincPointsPerSample + 1 < OscTables::sincSize, "sinc reads past its end");

    std::array<float, size> samples{};
    int index = 0;

    // A jump of -weight that happened sinceJump samples ago (0..1): adds the residual weight * (1 - blep).
    void placeStep(float sinceJump, float weight)
    {
        place<true>(OscTables::blep, OscTables::blepPointsPerSample, sinceJump, weight);
    }

    // A change of slope that happened sinceTurn samples ago (0..1): adds weight * sinc.
    void placeCorner(float sinceTurn, float weight)
    {
        place<false>(OscTables::sinc, OscTables::sincPointsPerSample, sinceTurn, weight);
    }

    // Clears the slot just played and returns the correction for the current sample.
    float readOut()
    {
        samples[static_cast<std::size_t>(index)] = 0.0f;
        index = (index + 1) & (size - 1);
        return samples[static_cast<std::size_t>(index)];
    }

    void clear()
    {
        samples.fill(0.0f);
        index = 0;
    }

private:
    template <bool stepResidual>
    void place(const float* table, int pointsPerSample, float delay, float weight)
    {
        // The table ends just past 32 samples of d = 1; a delay out of 0..1 (or not a number) must not read past it.
        delay = delay > 0.0f ? (delay < 1.0f ? delay : 1.0f) : 0.0f;
        const float position = delay * static_cast<float>(pointsPerSample);
        const int whole = static_cast<int>(position);
        const float fraction = position - static_cast<float>(whole);
        const float* point = table + whole;
        for (int j = 0; j < size; ++j, point += pointsPerSample)
        {
            const float value = point[0] + (point[1] - point[0]) * fraction;
            samples[static_cast<std::size_t>((index + j) & (size - 1))] +=
                stepResidual ? weight * (1.0f - value) : weight * value;
        }
    }
};
