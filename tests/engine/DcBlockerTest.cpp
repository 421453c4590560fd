// DC removal, pass-band gain, the pass-through at coefficient 1 and bad settings or input.
#include "engine/DcBlocker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
constexpr float kSampleRate = 44100.0f;
constexpr double kTwoPi = 6.283185307179586;

float sine(int n, float hz) { return static_cast<float>(std::sin(kTwoPi * hz * n / kSampleRate)); }

// Mean and peak of the output over the last second of four, for a sine riding on an offset.
struct Settled
{
    double mean;
    double peak;
};

Settled runOffsetSine(DcBlocker& blocker, float offset, float hz)
{
    Settled s{0.0, 0.0};
    const int total = 4 * static_cast<int>(kSampleRate);
    const int tail = static_cast<int>(kSampleRate);
    for (int n = 0; n < total; ++n)
    {
        const float y = blocker.process(offset + 0.5f * sine(n, hz));
        if (n >= total - tail)
        {
            s.mean += y / tail;
            s.peak = std::max(s.peak, static_cast<double>(std::fabs(y)));
        }
    }
    return s;
}

struct BlockCase
{
    float coefficient;
    float hz;
    double minPassGain;  // of the 0.5 sine
};

class DcBlockerRemovesOffset : public ::testing::TestWithParam<BlockCase>
{
};

TEST_P(DcBlockerRemovesOffset, OffsetGoneSinePasses)
{
    const BlockCase c = GetParam();
    DcBlocker blocker(c.coefficient);
    const Settled s = runOffsetSine(blocker, 0.8f, c.hz);
    EXPECT_NEAR(s.mean, 0.0, 1e-3);
    EXPECT_GT(s.peak, 0.5 * c.minPassGain);
    EXPECT_LT(s.peak, 0.5 * 1.1);
}

// The master high-pass range (0.999 to 0.599) and the chorus blockers (0.995).
INSTANTIATE_TEST_SUITE_P(Coefficients, DcBlockerRemovesOffset,
                         ::testing::Values(BlockCase{0.999f, 200.0f, 0.98}, BlockCase{0.995f, 200.0f, 0.95},
                                           BlockCase{0.599f, 5000.0f, 0.9}));

TEST(DcBlocker, LowerCoefficientCutsMoreLowEnd)
{
    DcBlocker gentle(0.999f);
    DcBlocker steep(0.599f);
    EXPECT_LT(runOffsetSine(steep, 0.0f, 100.0f).peak, 0.5 * runOffsetSine(gentle, 0.0f, 100.0f).peak);
}

TEST(DcBlocker, CoefficientOnePassesSignalApartFromTinyDrift)
{
    DcBlocker blocker;  // as built, before any setting
    double worst = 0.0;
    for (int n = 0; n < 44100; ++n)
    {
        const float x = 0.3f + 0.5f * sine(n, 50.0f);
        worst = std::max(worst, static_cast<double>(std::fabs(blocker.process(x) - x)));
    }
    EXPECT_LT(worst, 1e-4);
}

TEST(DcBlocker, BadSettingsAndInputStayFiniteAndRecover)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const float k : {-1.0f, 2.0f, 1.0e30f, nan, -inf})
    {
        DcBlocker blocker(0.99f);
        blocker.setCoefficient(k);
        for (int n = 0; n < 20000; ++n)
        {
            const float x = n % 3 == 0 ? 1.0e30f : (n % 7 == 0 ? nan : (n % 11 == 0 ? inf : -1.0e30f));
            ASSERT_TRUE(std::isfinite(blocker.process(x))) << "coefficient " << k << " sample " << n;
        }
        blocker.setCoefficient(0.99f);
        EXPECT_NEAR(runOffsetSine(blocker, 0.8f, 1000.0f).mean, 0.0, 1e-3) << "coefficient " << k;
    }
}
}  // namespace
