// State-variable filter on its own: bounded band states and recovery from non-finite settings or input.
#include "engine/FilterStateVariable12db.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
constexpr float kSampleRate = 44100.0f;

// The band states saturate at +-10, so even a huge input leaves every mode bounded.
TEST(FilterStateVariable12dbTest, HugeInputStaysBounded)
{
    for (const int mode : {0, 1, 2})
    {
        FilterStateVariable12db filter(kSampleRate, mode);
        float peak = 0.0f;
        for (int i = 0; i < 44100; ++i)
        {
            float x = (i / 50) % 2 == 0 ? 1000.0f : -1000.0f;
            filter.process(&x, 0.5f, 1.0f, i % 4 == 0);
            ASSERT_TRUE(std::isfinite(x));
            peak = std::max(peak, std::fabs(x));
        }
        EXPECT_LE(std::fabs(filter.band1), 10.0f);
        EXPECT_LE(std::fabs(filter.band2), 10.0f);
        EXPECT_LT(peak, 1e5f);
    }
}

// At cutoff 0 the low-pass keeps silent and the high-pass passes its input; neither drifts away
// from the state it had when the cutoff closed.
TEST(FilterStateVariable12dbTest, ClosedCutoffDoesNotDrift)
{
    for (const int mode : {0, 1})
    {
        SCOPED_TRACE(mode);
        FilterStateVariable12db filter(kSampleRate, mode);
        float peak = 0.0f;
        for (int i = 0; i < 4 * 44100 * 12; ++i)
        {
            const bool closed = i >= 4 * 44100;
            float x = 0.5f * std::sin(static_cast<float>(i) * 0.0036f);  // about 100 Hz
            filter.process(&x, closed ? 0.0f : 0.2f, 0.5f, i % 4 == 0);
            if (i >= 4 * 44100 * 11)
                peak = std::max(peak, std::fabs(x));
        }
        if (mode == 0)
            EXPECT_LT(peak, 0.01f);
        else
            EXPECT_NEAR(peak, 0.5f, 0.05f);
    }
}

TEST(FilterStateVariable12dbTest, RecoversFromNonFiniteSettingsAndInput)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const int mode : {0, 1, 2})
    {
        FilterStateVariable12db filter(kSampleRate, mode);
        for (int i = 0; i < 100; ++i)
        {
            float x = i % 2 ? nan : inf;
            filter.process(&x, i % 3 ? nan : 0.5f, i % 5 ? inf : 0.5f, i % 4 == 0);
            ASSERT_TRUE(std::isfinite(x));
        }
        // A step settles on its DC gain again: 1 for low-pass, 0 otherwise.
        float x = 0.0f;
        for (int i = 0; i < 44100; ++i)
        {
            x = 0.5f;
            filter.process(&x, 0.2f, 0.0f, i % 4 == 0);
        }
        EXPECT_NEAR(x, mode == 0 ? 0.5f : 0.0f, 1e-3f);
    }
}
}  // namespace
