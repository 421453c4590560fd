// Frequency response of the reverb's input filter, its hold at 0, the exact pass at 1 and bad settings.
#include "engine/ReverbInputFilter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace
{
constexpr double kTwoPi = 6.283185307179586;

float sine(int n, double hz, float sampleRate) { return static_cast<float>(std::sin(kTwoPi * hz * n / sampleRate)); }

double gainAt(ReverbInputFilter& filter, float sampleRate, double hz)
{
    const int settle = static_cast<int>(sampleRate / 2);
    double peak = 0.0;
    for (int n = 0; n < 2 * settle; ++n)
    {
        const float y = filter.process(sine(n, hz, sampleRate));
        if (n >= settle)
            peak = std::max(peak, static_cast<double>(std::fabs(y)));
    }
    return peak;
}

struct ResponseCase
{
    float sampleRate;
    float setting;
    double hz;
    double minGain;
    double maxGain;
};

class ReverbInputFilterResponse : public ::testing::TestWithParam<ResponseCase>
{
};

TEST_P(ReverbInputFilterResponse, GainWithinBounds)
{
    const ResponseCase c = GetParam();
    ReverbInputFilter filter(c.sampleRate, c.setting);
    const double gain = gainAt(filter, c.sampleRate, c.hz);
    EXPECT_GE(gain, c.minGain);
    EXPECT_LE(gain, c.maxGain);
}

// A low-pass whose corner falls with the setting; fully open it is flat at 44.1 kHz and below,
// while at higher rates it still takes off the top.
INSTANTIATE_TEST_SUITE_P(Settings, ReverbInputFilterResponse,
                         ::testing::Values(ResponseCase{44100.0f, 1.0f, 20000.0, 0.9999, 1.0001},
                                           ResponseCase{44100.0f, 0.5f, 100.0, 0.99, 1.001},
                                           ResponseCase{44100.0f, 0.5f, 5000.0, 0.65, 0.85},
                                           ResponseCase{44100.0f, 0.5f, 15000.0, 0.05, 0.2},
                                           ResponseCase{44100.0f, 0.1f, 1000.0, 0.0, 0.3},
                                           ResponseCase{96000.0f, 1.0f, 1000.0, 0.99, 1.001},
                                           ResponseCase{96000.0f, 1.0f, 20000.0, 0.2, 0.45},
                                           ResponseCase{96000.0f, 0.5f, 5000.0, 0.2, 0.35}));

TEST(ReverbInputFilter, SettingZeroHoldsTheLastOutput)
{
    ReverbInputFilter fresh(44100.0f, 0.0f);
    for (int n = 0; n < 1000; ++n)
        ASSERT_EQ(fresh.process(sine(n, 300.0, 44100.0f)), 0.0f);

    ReverbInputFilter running(44100.0f, 0.5f);
    float last = 0.0f;
    for (int n = 0; n < 1000; ++n)
        last = running.process(0.7f + 0.2f * sine(n, 300.0, 44100.0f));
    running.setSetting(0.0f);
    for (int n = 0; n < 1000; ++n)
        ASSERT_FLOAT_EQ(running.process(sine(n, 300.0, 44100.0f)), last);
}

// Opening fully while sound passes used to leave the state's mismatch ringing at half the sample
// rate for minutes; fully open, the filter must be transparent from the next sample on.
TEST(ReverbInputFilter, OpeningFullyMidSoundIsCleanAndClosingAgainIsSmooth)
{
    ReverbInputFilter filter(44100.0f, 0.3f);
    std::uint32_t seed = 8;
    auto noise = [&seed]()
    {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float>(seed >> 8) / 8388608.0f - 1.0f;
    };
    for (int n = 0; n < 2000; ++n)
        filter.process(noise());
    filter.setSetting(1.0f);
    float x = 0.0f;
    float worst = 0.0f;
    for (int n = 0; n < 44100; ++n)
    {
        x = 0.5f + 0.1f * sine(n, 100.0, 44100.0f);
        worst = std::max(worst, std::fabs(filter.process(x) - x));
    }
    EXPECT_LT(worst, 1e-6f);
    filter.setSetting(0.9f);
    EXPECT_NEAR(filter.process(x), x, 0.01f);
}

TEST(ReverbInputFilter, BadSettingsStayFiniteAndRecover)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const float bad : {-1.0f, 2.0f, 1.0e30f, nan})
    {
        ReverbInputFilter filter(44100.0f, 0.5f);
        filter.setSetting(bad);
        for (int n = 0; n < 20000; ++n)
        {
            const float x = n % 2 == 0 ? 1.0e30f : -1.0e30f;
            ASSERT_TRUE(std::isfinite(filter.process(x))) << bad;
        }
        filter.setSetting(0.5f);
        ReverbInputFilter reference(44100.0f, 0.5f);
        EXPECT_NEAR(gainAt(filter, 44100.0f, 5000.0), gainAt(reference, 44100.0f, 5000.0), 1e-4) << bad;
    }
}
}  // namespace
