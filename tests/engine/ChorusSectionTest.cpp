// Which chorus units run for each switch setting, where their echoes fall, the exact bypass and DC.
#include "engine/ChorusSection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace
{
constexpr float kSampleRate = 44100.0f;

float randomSample(std::uint32_t& seed)
{
    seed = seed * 1664525u + 1013904223u;
    return static_cast<float>(seed >> 8) / 8388608.0f - 1.0f;
}

// Delays in ms of the echoes in one channel's response to a pulse, dry pulse excluded: where the
// response first rises above a quarter of its largest value, counting each burst once (the
// interpolation rings for a few samples after each echo).
struct PulseResponse
{
    std::vector<double> leftMs;
    std::vector<double> rightMs;
};

std::vector<double> echoOnsetsMs(const std::vector<float>& y)
{
    float largest = 0.0f;
    for (const float v : y)
        largest = std::max(largest, std::fabs(v));
    const size_t burst = static_cast<size_t>(0.0005f * kSampleRate);
    std::vector<double> onsets;
    size_t lastLoud = 0;
    for (size_t n = 1; n < y.size(); ++n)
    {
        if (largest == 0.0f || std::fabs(y[n]) <= 0.25f * largest)
            continue;
        if (onsets.empty() || n - lastLoud > burst)
            onsets.push_back(static_cast<double>(n) * 1000.0 / kSampleRate);
        lastLoud = n;
    }
    return onsets;
}

PulseResponse pulseResponse(bool chorus1, bool chorus2)
{
    ChorusSection section(kSampleRate);
    section.chorus1On = chorus1;
    section.chorus2On = chorus2;
    std::vector<float> left(400);
    std::vector<float> right(400);
    for (size_t n = 0; n < left.size(); ++n)
    {
        float l = n == 0 ? 1.0f : 0.0f;
        float r = l;
        section.process(l, r);
        left[n] = n == 0 ? 0.0f : l;
        right[n] = n == 0 ? 0.0f : r;
    }
    return {echoOnsetsMs(left), echoOnsetsMs(right)};
}

struct SwitchCase
{
    bool chorus1;
    bool chorus2;
    std::vector<double> leftMs;
    std::vector<double> rightMs;
};

class ChorusSectionSwitches : public ::testing::TestWithParam<SwitchCase>
{
};

// Unit 1 starts at 4.9 ms on the left and 0.7 ms on the right, unit 2 the other way round; with
// both on, each channel carries both units' echoes.
TEST_P(ChorusSectionSwitches, EchoesComeFromTheEnabledUnits)
{
    const SwitchCase c = GetParam();
    const PulseResponse r = pulseResponse(c.chorus1, c.chorus2);
    ASSERT_EQ(r.leftMs.size(), c.leftMs.size());
    ASSERT_EQ(r.rightMs.size(), c.rightMs.size());
    for (size_t i = 0; i < c.leftMs.size(); ++i)
        EXPECT_NEAR(r.leftMs[i], c.leftMs[i], 0.06);
    for (size_t i = 0; i < c.rightMs.size(); ++i)
        EXPECT_NEAR(r.rightMs[i], c.rightMs[i], 0.06);
}

INSTANTIATE_TEST_SUITE_P(Settings, ChorusSectionSwitches,
                         ::testing::Values(SwitchCase{true, false, {4.9}, {0.7}}, SwitchCase{false, true, {0.7}, {4.9}},
                                           SwitchCase{true, true, {0.7, 4.9}, {0.7, 4.9}},
                                           SwitchCase{false, false, {}, {}}));

TEST(ChorusSection, BothOffLeavesSamplesExactlyAndUnitsStandStill)
{
    ChorusSection section(kSampleRate);
    section.chorus1On = true;
    section.chorus2On = true;
    std::uint32_t seed = 2;
    for (int n = 0; n < 1000; ++n)
    {
        float l = randomSample(seed);
        float r = randomSample(seed);
        section.process(l, r);
    }
    section.chorus1On = false;
    section.chorus2On = false;
    const float triangle = section.unit2Right.triangle;
    const std::vector<float> line = section.unit1Left.buffer;
    for (int n = 0; n < 10000; ++n)
    {
        const float x = randomSample(seed);
        float l = x;
        float r = -x;
        section.process(l, r);
        ASSERT_EQ(l, x);
        ASSERT_EQ(r, -x);
    }
    EXPECT_EQ(section.unit2Right.triangle, triangle);
    EXPECT_EQ(section.unit1Left.buffer, line);
}

// The added chorus carries no DC: a steady offset comes out as it went in.
TEST(ChorusSection, SteadyOffsetPassesWithoutAddedDc)
{
    ChorusSection section(kSampleRate);
    section.chorus1On = true;
    section.chorus2On = true;
    double sumLeft = 0.0;
    double sumRight = 0.0;
    const int total = 5 * 44100;
    const int tail = 44100;
    for (int n = 0; n < total; ++n)
    {
        float l = 0.5f;
        float r = -0.5f;
        section.process(l, r);
        if (n >= total - tail)
        {
            sumLeft += l;
            sumRight += r;
        }
    }
    EXPECT_NEAR(sumLeft / tail, 0.5, 1e-3);
    EXPECT_NEAR(sumRight / tail, -0.5, 1e-3);
}

TEST(ChorusSection, ExtremeInputStaysFiniteAndRecoversAtEveryRate)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const float sampleRate : {8000.0f, 44100.0f, 192000.0f, 384000.0f})
    {
        ChorusSection section(sampleRate);
        section.chorus1On = true;
        section.chorus2On = true;
        std::uint32_t seed = 4;
        for (int n = 0; n < 20000; ++n)
        {
            float l = n % 3 == 0 ? 1.0e30f * randomSample(seed) : randomSample(seed);
            float r = n % 5 == 0 ? nan : l;
            section.process(l, r);
            ASSERT_TRUE(std::isfinite(l)) << sampleRate;
        }
        // The blockers let a 1e30 step die away at their own pace: 0.995 per sample.
        float peak = 0.0f;
        const int silence = 20000;
        for (int n = 0; n < silence; ++n)
        {
            float l = 0.0f;
            float r = 0.0f;
            section.process(l, r);
            ASSERT_TRUE(std::isfinite(r)) << sampleRate;
            if (n > silence - 1000)
                peak = std::max(peak, std::fabs(l) + std::fabs(r));
        }
        EXPECT_LT(peak, 1e-3f) << sampleRate;
    }
}
}  // namespace
