// Half-band decimator: unity pass band, rejection of what would alias, and its delay.
#include "engine/HalfBandDecimator.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
constexpr double kPi = 3.141592653589793;

// Amplitude out for a unit sine at `cycles` per input sample (0..0.5), from the settled output's
// rms; above 0.25 what comes out is the alias.
double gainAt(double cycles)
{
    HalfBandDecimator decimator;
    double sumSquares = 0.0;
    int count = 0;
    for (int n = 0; n < 8000; ++n)
    {
        const float first = static_cast<float>(std::sin(2.0 * kPi * cycles * (2 * n)));
        const float second = static_cast<float>(std::sin(2.0 * kPi * cycles * (2 * n + 1)));
        const float y = decimator.process(first, second);
        if (n >= 100)
        {
            sumSquares += y * y;
            ++count;
        }
    }
    return std::sqrt(2.0 * sumSquares / count);
}

TEST(HalfBandDecimatorTest, PassesTheLowerBandAndRejectsTheUpper)
{
    EXPECT_NEAR(gainAt(0.01), 1.0, 1e-3);
    EXPECT_NEAR(gainAt(0.1), 1.0, 1e-3);
    EXPECT_NEAR(gainAt(0.15), 1.0, 0.01);
    EXPECT_LT(gainAt(0.4), 1e-3);  // about -80 dB from here up
    EXPECT_LT(gainAt(0.49), 1e-3);
}

// An impulse comes out at the centre tap, nine input samples later, weighted 0.5.
TEST(HalfBandDecimatorTest, CentreTapFallsFivePairsBack)
{
    HalfBandDecimator decimator;
    float out[8];
    for (int n = 0; n < 8; ++n)
        out[n] = decimator.process(0.0f, n == 0 ? 1.0f : 0.0f);  // the impulse is u[1]
    for (int n = 0; n < 8; ++n)
        EXPECT_FLOAT_EQ(out[n], n == 5 ? 0.5f : 0.0f) << n;

    decimator.clear();
    for (int n = 0; n < 20; ++n)
        EXPECT_EQ(decimator.process(0.0f, 0.0f), 0.0f);
}
}  // namespace
