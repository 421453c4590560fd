// The reverb as the last stage of the master chain: wet level, mix with the dry signal and the
// denormal noise that keeps its tail out of the slow number range.
#pragma once

#include <cstdint>

#include "engine/Reverb.h"

class ReverbSection
{
public:
    // Builds the reverb for the sample rate (Hz); the reverb's seeds and then the noise seed are
    // drawn from the C library's rand.
    explicit ReverbSection(float sampleRate);

    // Mixes the reverb into both channels. While the wet level is not above 0 nothing runs: the
    // samples are left exactly as they are and the tail is frozen until the level rises again.
    void process(float& left, float& right);

    // 0..1; limited to that, NaN ignored.
    void setWet(float amount);

    Reverb reverb;
    std::int32_t noiseSeed;
    float dryGain = 1.0f;
    float wet = 0.5f;
    float width = 1.0f;  // 1 keeps each channel's reverb on its own side
};
