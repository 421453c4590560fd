// Frequency response of the delay's tone filter across its setting and sample rates, and bad settings.
#include "engine/DelayToneFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
constexpr double kTwoPi = 6.283185307179586;

// Peak gain for a sine, after a second of settling.
double gainAt(DelayToneFilter& filter, float sampleRate, double hz)
{
    const int settle = static_cast<int>(sampleRate);
    double peak = 0.0;
    for (int n = 0; n < 2 * settle; ++n)
    {
        const float y = filter.process(static_cast<float>(std::sin(kTwoPi * hz * n / sampleRate)));
        if (n >= settle)
            peak = std::max(peak, static_cast<double>(std::fabs(y)));
    }
    return peak;
}

double gainAt(float sampleRate, float setting, double hz)
{
    DelayToneFilter filter(sampleRate);
    filter.setTone(setting);
    return gainAt(filter, sampleRate, hz);
}

struct ResponseCase
{
    float sampleRate;
    float setting;
    double hz;
    double minGain;
    double maxGain;
};

class DelayToneFilterResponse : public ::testing::TestWithParam<ResponseCase>
{
};

TEST_P(DelayToneFilterResponse, GainWithinBounds)
{
    const ResponseCase c = GetParam();
    const double gain = gainAt(c.sampleRate, c.setting, c.hz);
    EXPECT_GE(gain, c.minGain);
    EXPECT_LE(gain, c.maxGain);
}

// Setting 0 is nearly flat through the audible range, higher settings darken, 1 is shut. Higher
// sample rates keep the corner where it is in Hz.
INSTANTIATE_TEST_SUITE_P(
    Settings, DelayToneFilterResponse,
    ::testing::Values(ResponseCase{44100.0f, 0.0f, 100.0, 0.99, 1.001}, ResponseCase{44100.0f, 0.0f, 5000.0, 0.8, 0.9},
                      ResponseCase{44100.0f, 0.5f, 100.0, 0.98, 1.001},
                      ResponseCase{44100.0f, 0.5f, 5000.0, 0.25, 0.32}, ResponseCase{44100.0f, 0.9f, 5000.0, 0.0, 0.1},
                      ResponseCase{44100.0f, 1.0f, 100.0, 0.0, 0.0}, ResponseCase{96000.0f, 0.5f, 5000.0, 0.25, 0.32},
                      ResponseCase{384000.0f, 0.5f, 5000.0, 0.25, 0.32}));

TEST(DelayToneFilter, BadSettingsStayStableAndRecover)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const float bad : {-1.0f, 2.0f, 1.0e30f, -1.0e30f, nan})
    {
        DelayToneFilter filter(44100.0f);
        filter.setTone(0.5f);
        filter.setTone(bad);
        for (int n = 0; n < 10000; ++n)
        {
            const float x = n % 2 == 0 ? 1.0e30f : -1.0e30f;
            ASSERT_TRUE(std::isfinite(filter.process(x))) << bad;
            ASSERT_LE(std::fabs(filter.v), 1.1e30f) << bad;
        }
        filter.setTone(0.5f);
        EXPECT_NEAR(gainAt(filter, 44100.0f, 5000.0), gainAt(44100.0f, 0.5f, 5000.0), 1e-4) << bad;
    }
}
}  // namespace
