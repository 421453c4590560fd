// The chorus delay's sweep (range, rate, start phase) at several sample rates, denormals and bad input.
#include "engine/Chorus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace
{
// The delay of the chorus over time, in ms, found from the response to a pulse every 12 ms.
std::vector<double> measureDelayMs(Chorus& chorus, float sampleRate, double seconds)
{
    const int spacing = static_cast<int>(0.012f * sampleRate);
    const int total = static_cast<int>(seconds * sampleRate);
    std::vector<double> delays;
    int best = 0;
    float bestLevel = 0.0f;
    for (int n = 0; n < total; ++n)
    {
        const int offset = n % spacing;
        if (offset == 0 && n > 0)
        {
            delays.push_back(best * 1000.0 / sampleRate);
            bestLevel = 0.0f;
        }
        const float x = offset == 0 ? 1.0f : 0.0f;
        const float y = std::fabs(chorus.process(&x));
        if (y > bestLevel)
        {
            bestLevel = y;
            best = offset;
        }
    }
    return delays;
}

struct SweepCase
{
    float sampleRate;
    float startPhase;
    float rate;
    double firstMs;
};

class ChorusSweep : public ::testing::TestWithParam<SweepCase>
{
};

TEST_P(ChorusSweep, SweepsBetweenItsLimitsAtItsRate)
{
    const SweepCase c = GetParam();
    Chorus chorus(c.sampleRate, c.startPhase, c.rate);
    const double period = 1.0 / c.rate;
    const std::vector<double> delays = measureDelayMs(chorus, c.sampleRate, 2.25 * period);
    const double sampleMs = 1000.0 / c.sampleRate;
    const double tolerance = 0.06 + 2.0 * sampleMs;

    EXPECT_NEAR(delays.front(), c.firstMs, tolerance);
    EXPECT_NEAR(*std::min_element(delays.begin(), delays.end()), 0.7, tolerance);
    EXPECT_NEAR(*std::max_element(delays.begin(), delays.end()), 4.9, tolerance);

    // One full cycle between the first two times the sweep reaches its top.
    std::vector<size_t> tops;
    for (size_t i = 1; i + 1 < delays.size(); ++i)
        if (delays[i] > 4.8 && delays[i] >= delays[i - 1] && delays[i] > delays[i + 1] &&
            (tops.empty() || i - tops.back() > 10))
            tops.push_back(i);
    ASSERT_GE(tops.size(), 2u);
    EXPECT_NEAR(static_cast<double>(tops[1] - tops[0]) * 0.012, period, 0.03);
}

// Start phase 1 begins at the top of the sweep (4.9 ms), 0 at the bottom (0.7 ms).
INSTANTIATE_TEST_SUITE_P(Units, ChorusSweep,
                         ::testing::Values(SweepCase{44100.0f, 1.0f, 0.5f, 4.9}, SweepCase{44100.0f, 0.0f, 0.83f, 0.7},
                                           SweepCase{8000.0f, 0.0f, 0.5f, 0.7},
                                           SweepCase{384000.0f, 1.0f, 0.83f, 4.9}));

TEST(Chorus, SilenceAfterSoundLeavesNoDenormals)
{
    Chorus chorus(44100.0f, 0.3f, 0.5f);
    std::uint32_t seed = 1;
    for (int n = 0; n < 10 * 44100; ++n)
    {
        seed = seed * 1664525u + 1013904223u;
        const float x = n < 4410 ? static_cast<float>(seed >> 8) / 8388608.0f - 1.0f : 0.0f;
        chorus.process(&x);
        ASSERT_NE(std::fpclassify(chorus.previousOutput), FP_SUBNORMAL) << n;
        ASSERT_NE(std::fpclassify(chorus.lowPass), FP_SUBNORMAL) << n;
    }
}

TEST(Chorus, ExtremeAndBrokenInputStaysFiniteAndRecovers)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float max = std::numeric_limits<float>::max();
    Chorus chorus(44100.0f, 0.5f, 0.83f);
    for (int n = 0; n < 44100; ++n)
    {
        const float inputs[] = {1.0e30f, -1.0e30f, nan, inf, max, -max, 0.0f};
        const float x = inputs[n % 7];
        ASSERT_TRUE(std::isfinite(chorus.process(&x))) << n;
    }
    float peak = 0.0f;
    for (int n = 0; n < 4410; ++n)
    {
        const float x = 0.25f;
        const float y = chorus.process(&x);
        if (n > 2000)
            peak = std::max(peak, std::fabs(y - 0.25f));
    }
    EXPECT_LT(peak, 1e-3f);  // back to passing a steady input through its line
}

TEST(Chorus, OddConstructionArgumentsStayInsideTheLine)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const float bad : {-1.0f, 2.0f, 1.0e30f, nan})
    {
        for (const float sampleRate : {bad, 8000.0f})
        {
            Chorus chorus(sampleRate, bad, bad);
            for (int n = 0; n < 20000; ++n)
            {
                const float x = n % 2 == 0 ? 1.0f : -1.0f;
                ASSERT_TRUE(std::isfinite(chorus.process(&x))) << bad;
            }
        }
    }
}
}  // namespace
