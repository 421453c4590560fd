// Four voices side by side in one SSE register: the vector types and lane-wise twins of the scalar helpers.
#pragma once

#include <cstdint>

#include "engine/DspMath.h"

namespace dsp
{
// GCC and Clang vector extensions: arithmetic and comparisons act lane by lane, and every lane
// rounds exactly like the scalar operation, so code written once for float and for Float4 gives
// each voice the same bits either way. SSE2, the x86-64 baseline, holds four lanes.
using Float4 = float __attribute__((vector_size(16)));
using Int4 = std::int32_t __attribute__((vector_size(16)));
using Uint4 = std::uint32_t __attribute__((vector_size(16)));

constexpr int kLanes = 4;

// A comparison gives -1 in the lanes where it holds; choose a where it does, b elsewhere.
inline Float4 select(Int4 mask, Float4 a, Float4 b) { return mask ? a : b; }

inline Float4 absolute(Float4 x) { return reinterpret_cast<Float4>(reinterpret_cast<Int4>(x) & 0x7fffffff); }

// Same NaN behaviour as the scalar saturate: the clamp lets NaN through.
inline Float4 saturate(Float4 t)
{
    const Float4 low = Float4{} - 1.0e4f;
    const Float4 high = Float4{} + 1.0e4f;
    // The SSE minimum and maximum return their second operand for NaN, as the scalar clamp does;
    // one instruction each instead of a comparison and a blend, in the resonance loops.
    t = __builtin_ia32_minps(high, __builtin_ia32_maxps(low, t));
    const Float4 a = absolute(t);
    const Float4 a2 = a * a;
    const Float4 p = a2 + (3.0f * a + 6.0f);
    const Float4 denominator = a2 * (a + 3.0f) + (6.0f * a + 12.0f);
    return t * p / denominator;
}

inline Int4 advanceNoiseSeed(Int4 seed) { return reinterpret_cast<Int4>(reinterpret_cast<Uint4>(seed) * 16807u); }

// The seed's low 31 bits as a float, not yet scaled.
inline float noiseBits(std::int32_t seed) { return static_cast<float>(static_cast<std::uint32_t>(seed) & 0x7fffffffu); }
inline Float4 noiseBits(Int4 seed) { return __builtin_convertvector(seed & 0x7fffffff, Float4); }

// std::max(x, 0.0f), lane by lane: NaN stays NaN.
inline float positivePart(float x) { return std::max(x, 0.0f); }
inline Float4 positivePart(Float4 x) { return __builtin_ia32_maxps(Float4{}, x); }

inline Float4 flushTiny(Float4 x) { return select(absolute(x) < kFlushThreshold, Float4{}, x); }

// All lanes where x is neither infinite nor NaN.
inline Int4 finiteLanes(Float4 x) { return absolute(x) <= 3.40282347e38f; }
}  // namespace dsp
