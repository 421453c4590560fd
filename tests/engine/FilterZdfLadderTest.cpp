// Zero-delay-feedback ladder on its own: low-cutoff feedback, self-oscillation and recovery.
#include "engine/FilterZdfLadder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
constexpr float kSampleRate = 44100.0f;

// DC gain of the ladder for an input already scaled to the section's 0.25: 0.5 / (1 + k).
float dcGain(float c, float r)
{
    FilterZdfLadder filter(kSampleRate);
    float x = 0.0f;
    for (int i = 0; i < 44100; ++i)
    {
        x = 0.01f;
        filter.process(&x, c, r);
    }
    return x / 0.01f;
}

// The feedback k = 4 r grows by ((0.25 - c) * 4)^2 below cutoff 0.25; the input is raised by 2 r + 1.
TEST(FilterZdfLadderTest, FeedbackLowersTheDcGain)
{
    EXPECT_NEAR(dcGain(0.5f, 0.0f), 0.5f, 1e-3f);
    EXPECT_NEAR(dcGain(0.1f, 0.0f), 0.5f / 1.36f, 1e-3f);
    EXPECT_NEAR(dcGain(0.5f, 0.5f), 0.5f * 2.0f / 3.0f, 2e-3f);
}

TEST(FilterZdfLadderTest, FullResonanceRingsBounded)
{
    FilterZdfLadder filter(kSampleRate);
    float peak = 0.0f;
    double energy = 0.0;
    for (int i = 0; i < 44100; ++i)
    {
        float x = i < 10 ? 0.25f : 0.0f;
        filter.process(&x, 0.1f, 1.0f);
        ASSERT_TRUE(std::isfinite(x));
        peak = std::max(peak, std::fabs(x));
        if (i >= 22050)
            energy += x * x;
    }
    EXPECT_LT(peak, 1.0f);
    EXPECT_GT(std::sqrt(energy / 22050.0), 0.01);
}

TEST(FilterZdfLadderTest, RecoversFromNonFiniteSettingsAndInput)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    FilterZdfLadder filter(kSampleRate);
    for (int i = 0; i < 100; ++i)
    {
        float x = i % 2 ? nan : 1e30f;
        filter.process(&x, i % 3 ? nan : inf, i % 5 ? -inf : 1e30f);
        ASSERT_TRUE(std::isfinite(x));
    }
    float x = 0.0f;
    for (int i = 0; i < 44100; ++i)
    {
        x = 0.01f;
        filter.process(&x, 0.5f, 0.0f);
    }
    EXPECT_NEAR(x, 0.005f, 1e-5f);
}
}  // namespace
