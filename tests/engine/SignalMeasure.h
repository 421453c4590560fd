// Measurement helpers for the engine tests: the gain of a sine through a per-sample process.
#pragma once

#include <cmath>

namespace measure
{
constexpr double kPi = 3.141592653589793;

// Feeds a sine of the given frequency and amplitude into process(float) -> float, lets it settle
// and returns the output's component at that frequency divided by the input amplitude.
template <class Process>
double sineGain(Process&& process, double frequency, double sampleRate, float amplitude = 0.01f,
                int settleSamples = 8192, int measureSamples = 44100)
{
    double sinSum = 0.0;
    double cosSum = 0.0;
    for (int i = 0; i < settleSamples + measureSamples; ++i)
    {
        const double phase = 2.0 * kPi * frequency * i / sampleRate;
        const float y = process(amplitude * static_cast<float>(std::sin(phase)));
        if (i >= settleSamples)
        {
            sinSum += y * std::sin(phase);
            cosSum += y * std::cos(phase);
        }
    }
    return 2.0 * std::hypot(sinSum, cosSum) / measureSamples / amplitude;
}
}  // namespace measure
