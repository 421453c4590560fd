// White noise in [-1, 1) from the engine's multiplicative generator; it ignores pitch, FM and sync.
#pragma once

#include <cstdint>

struct NoiseGenerator
{
    static constexpr std::uint32_t multiplier = 16807;
    static constexpr float seedScale = 1.0f / 2147483648.0f;  // 2^-31

    // Starts at 1 in every oscillator, so all voices play the same sequence from construction on.
    std::int32_t seed = 1;

    float process()
    {
        // The product wraps at 32 bits, without the modulo reduction of the classic generator.
        seed = static_cast<std::int32_t>(static_cast<std::uint32_t>(seed) * multiplier);
        return static_cast<float>(seed) * seedScale;
    }
};
