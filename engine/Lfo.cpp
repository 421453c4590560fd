// Table-driven low-frequency oscillator with sample and hold, noise and output smoothing.
#include "engine/Lfo.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/DspMath.h"

namespace
{
constexpr double kTwoPi = 6.283185307179586;
constexpr float kSmoothingKeep = 19.0f;
constexpr float kSmoothingScale = 0.05f;  // one-pole of about 20 samples
}  // namespace

Lfo::Lfo(float rate) : increment(256.0f / rate), sampleRate(rate)
{
    for (int i = 0; i < 256; ++i)
    {
        const float x = static_cast<float>(i);
        sineTable[i] = static_cast<float>(std::sin(kTwoPi * i / 256.0));
        if (i < 64)
            triangleTable[i] = x / 64.0f;
        else if (i < 128)
            triangleTable[i] = (128.0f - x) / 64.0f;
        else if (i < 192)
            triangleTable[i] = -(x - 128.0f) / 64.0f;
        else
            triangleTable[i] = -(256.0f - x) / 64.0f;
        sawTable[i] = 2.0f * x / 255.0f - 1.0f;
        squareTable[i] = i < 128 ? 1.0f : -1.0f;
        const float exponent = i < 128 ? x / 128.0f : (256.0f - x) / 128.0f;
        exponentialTable[i] = (std::exp(exponent) - 1.0f) / 1.7182817f * 2.0f - 1.0f;
    }
    sineTable[256] = static_cast<float>(std::sin(kTwoPi));
    triangleTable[256] = 0.0f;
    sawTable[256] = -1.0f;
    squareTable[256] = 1.0f;
    exponentialTable[256] = -1.0f;
}

void Lfo::setRate(float rateHz) { increment = std::max(0.0f, rateHz) * 256.0f / sampleRate; }

float Lfo::randomBipolar() { return (static_cast<float>(std::rand()) * dsp::kTwoToMinus31 - 0.5f) * 2.0f; }

float Lfo::tick(int waveform)
{
    wrapped = false;
    if (phase > kCycleSteps)
    {
        wrapped = true;
        phase -= kCycleSteps;
        // A modulated rate can step more than one cycle per sample. The remainder replaces a loop
        // of subtractions, which would never end for an infinite increment; like the subtraction
        // it lands in (0, 255].
        if (phase > kCycleSteps)
        {
            const float rest = std::fmod(phase, kCycleSteps);
            phase = rest > 0.0f ? rest : kCycleSteps;
        }
    }
    // A negative start phase from a stored preset, or an infinite or NaN phase, would index
    // outside the tables.
    if (!(phase >= 0.0f && phase <= kCycleSteps))
    {
        const float rest = std::fmod(phase, kCycleSteps);
        phase = rest < 0.0f ? rest + kCycleSteps : (rest >= 0.0f ? rest : 0.0f);
        if (!(phase >= 0.0f && phase <= kCycleSteps))  // rounding of rest + 255
            phase = 0.0f;
    }

    const int i = static_cast<int>(phase);
    const float f = phase - static_cast<float>(i);
    phase += increment;

    switch (waveform)
    {
    case sine: rawValue = sineTable[i] * (1.0f - f) + sineTable[i + 1] * f; break;
    case triangle: rawValue = triangleTable[i] * (1.0f - f) + triangleTable[i + 1] * f; break;
    case saw: rawValue = sawTable[i] * (1.0f - f) + sawTable[i + 1] * f; break;
    case square: rawValue = squareTable[i] * (1.0f - f) + squareTable[i + 1] * f; break;
    case sampleAndHold:
        if (wrapped)
            heldValue = randomBipolar();
        rawValue = heldValue;
        break;
    default:
        noiseSeed = dsp::advanceNoiseSeed(noiseSeed);
        rawValue = dsp::bipolarNoise(noiseSeed);
        break;
    }

    // The flush also clears a NaN written into the smoothed value from outside.
    smoothedValue = (smoothedValue * kSmoothingKeep + rawValue) * kSmoothingScale;
    if (!(std::fabs(smoothedValue) >= dsp::kFlushThreshold))
        smoothedValue = 0.0f;
    return smoothedValue;
}
