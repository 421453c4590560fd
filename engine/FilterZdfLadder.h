// Zero-delay-feedback four-pole ladder low-pass, run at the base sample rate without oversampling.
#pragma once

#include <cstdint>

class FilterZdfLadder
{
public:
    explicit FilterZdfLadder(float sampleRate);

    // Filters *sample in place at cutoff c (0..1) and resonance r (0..1). The input is expected
    // already scaled by 0.25 (the filter section does this).
    void process(float* sample, float c, float r);

    // Start afresh after the state went non-finite.
    void clear();

    float sampleRate;
    double inverseSampleRate;
    float sampleRateScale;  // makes cutoff 1 the Nyquist frequency of 44,100 Hz, or lower rates' own
    float s1 = 0.0f, s2 = 0.0f, s3 = 0.0f, s4 = 0.0f;  // integrator states
    float g = 0.0f;                                    // last one-pole gain
    float h = 0.0f;                                    // last state feedback coefficient
    float warpedFrequency = 0.0f;
    std::int32_t noiseSeed = 1;
};
