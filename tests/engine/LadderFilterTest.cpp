// The ladder family on its own: the built-in noise and recovery from non-finite settings or input.
#include "engine/LadderFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/FilterBp24db.h"
#include "engine/FilterHp12db.h"
#include "engine/FilterLp06db.h"
#include "engine/FilterLp12db.h"
#include "engine/FilterLp18db.h"
#include "engine/FilterLp24db.h"
#include "engine/FilterN24db.h"
#include "tests/engine/SignalMeasure.h"

namespace
{
constexpr float kSampleRate = 44100.0f;

template <class Filter>
class LadderFilterTest : public ::testing::Test
{
};

using Ladders =
    ::testing::Types<FilterLp24db, FilterLp18db, FilterLp12db, FilterLp06db, FilterHp12db, FilterBp24db, FilterN24db>;
TYPED_TEST_SUITE(LadderFilterTest, Ladders);

// Largest output over a second of silence, after the start state has settled.
template <class Filter>
float noiseFloor(float c)
{
    Filter filter(kSampleRate);
    filter.clear();
    float peak = 0.0f;
    for (int i = 0; i < 8 * 44100; ++i)
    {
        float x = 0.0f;
        filter.process(&x, c, 0.0f, i % 4 == 0);
        if (i >= 4 * 44100)
            peak = std::max(peak, std::fabs(x));
    }
    return peak;
}

// Every ladder adds a tiny noise (below 0.001) that fades out as the cutoff approaches 1.
TYPED_TEST(LadderFilterTest, NoiseIsTinyAndFadesOutAtFullCutoff)
{
    const float low = noiseFloor<TypeParam>(0.3f);
    EXPECT_GT(low, 0.0f);
    EXPECT_LT(low, 0.005f);
    EXPECT_LT(noiseFloor<TypeParam>(0.99f), low * 0.1f);
    EXPECT_EQ(noiseFloor<TypeParam>(1.0f), 0.0f);
}

// A NaN or infinite setting or input gives silence, never non-finite samples, and the filter works
// as before once its inputs are valid again.
TYPED_TEST(LadderFilterTest, RecoversFromNonFiniteSettingsAndInput)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    auto gain = [](TypeParam& filter)
    {
        return measure::sineGain(
            [&](float x)
            {
                float out = 0.0f;
                for (int k = 0; k < 4; ++k)
                {
                    float sub = x;
                    filter.process(&sub, 0.2f, 0.3f, k == 0);
                    out = sub;
                }
                return out;
            },
            1000.0, kSampleRate);
    };
    TypeParam fresh(kSampleRate);
    const double expected = gain(fresh);

    struct Bad
    {
        float input, c, r;
    };
    for (const Bad bad : {Bad{nan, 0.2f, 0.3f}, Bad{inf, 0.2f, 0.3f}, Bad{1.0f, nan, 0.3f}, Bad{1.0f, 0.2f, nan},
                          Bad{1.0f, 0.2f, 1e30f}, Bad{1.0f, inf, inf}, Bad{1e30f, 1e30f, -1e30f}})
    {
        TypeParam filter(kSampleRate);
        for (int i = 0; i < 400; ++i)
        {
            float x = bad.input;
            filter.process(&x, bad.c, bad.r, i % 4 == 0);
            ASSERT_TRUE(std::isfinite(x));
        }
        EXPECT_NEAR(gain(filter), expected, expected * 0.01);
    }
}
}  // namespace
