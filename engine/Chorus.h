// One chorus voice: a short line read at a triangle-swept delay of 0.7 to 4.9 ms, then softened.
#pragma once

#include <vector>

class Chorus
{
public:
    static constexpr float kBaseDelayMs = 7.0f;

    // Sample rate in Hz; start phase 0..1 places the triangle (0 at its bottom, 1 at its top);
    // rate in sweeps per second. Phases outside 0..1 and rates that would step the sweep out of
    // the line are limited.
    Chorus(float sampleRate, float startPhase, float rateHz);

    // Stores *input in the line and returns the swept, low-passed read-out.
    float process(const float* input);

    float sampleRate;
    std::vector<float> buffer;
    int length;
    int writePosition;
    float triangle;         // -1..1
    float direction = 1.0f;  // +1 rising, -1 falling
    float increment;        // per sample
    float previousOutput = 0.0f;  // all-pass interpolation state
    float lowPass = 0.0f;
};
