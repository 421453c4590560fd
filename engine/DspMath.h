// Small numeric helpers shared by the DSP units: saturation, the 16807 noise generator, denormal flushing.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace dsp
{
// Rational approximation that behaves like tanh(t / 2) and tends to +-1 for large |t|. The
// argument is limited to +-1e4 first: beyond that the result is already 1.0f to float precision,
// while the cubic terms would overflow to inf / inf = NaN for |t| above about 1e12.
inline float saturate(float t)
{
    t = std::clamp(t, -1.0e4f, 1.0e4f);  // NaN passes through, so callers can still detect it
    const float a = std::fabs(t);
    // p = (a + 3) a + 6 and the denominator p a + 12, expanded so that the powers of a are formed
    // side by side: the saturation sits in the filters' resonance loops, where latency is speed.
    const float a2 = a * a;
    const float p = a2 + (3.0f * a + 6.0f);
    const float denominator = a2 * (a + 3.0f) + (6.0f * a + 12.0f);
    return t * p / denominator;
}

// Multiplicative noise generator: seed * 16807 with 32-bit wrap-around (no modulo reduction).
// The multiplication is done unsigned because signed overflow is undefined in C++.
inline std::int32_t advanceNoiseSeed(std::int32_t seed)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(seed) * 16807u);
}

constexpr float kTwoToMinus31 = 4.656612873077392578125e-10f;

// The seed read as a value in [-1, 1).
inline float bipolarNoise(std::int32_t seed) { return static_cast<float>(seed) * kTwoToMinus31; }

// The seed's low 31 bits read as a value in [0, 1).
inline float unipolarNoise(std::int32_t seed)
{
    return static_cast<float>(static_cast<std::uint32_t>(seed) & 0x7fffffffu) * kTwoToMinus31;
}

// Decaying state is cut to zero long before it reaches the slow denormal range; NaN passes
// through untouched so that the units' non-finite checks still see it.
constexpr float kFlushThreshold = 1.0e-20f;
inline float flushTiny(float x) { return std::fabs(x) < kFlushThreshold ? 0.0f : x; }
}  // namespace dsp
