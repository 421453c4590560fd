// Table-driven low-frequency oscillator with sample and hold, noise and output smoothing.
#pragma once

#include <cstdint>

class Lfo
{
public:
    static constexpr int kTableSize = 257;        // 256 steps plus a guard entry for interpolation
    static constexpr float kCycleSteps = 255.0f;  // the phase wraps after 255 steps, not 256

    enum Waveform
    {
        sine = 0,
        triangle = 1,
        saw = 2,
        square = 3,
        sampleAndHold = 4,
        noise = 5  // also any other value
    };

    explicit Lfo(float sampleRate);

    // Advances one sample with the given waveform and returns the smoothed value (-1..1).
    float tick(int waveform);

    // Rate in Hz; negative and NaN rates stand still. The resulting frequency is rate * 256 / 255.
    void setRate(float rateHz);

    // A fresh sample-and-hold value from the C library's rand (seed it with srand for repeatable runs).
    static float randomBipolar();

    float phase = 0.0f;  // in table steps, 0..255
    float rawValue = 0.0f;
    float smoothedValue = 0.0f;
    float increment;  // table steps per sample
    float sampleRate;
    float heldValue = 0.0f;
    std::int32_t noiseSeed = 1;
    bool wrapped = false;

    float sineTable[kTableSize];
    float triangleTable[kTableSize];
    float sawTable[kTableSize];
    float squareTable[kTableSize];
    float exponentialTable[kTableSize];  // built for completeness; no waveform reads it
};
