// LFO waveforms, cycle length, sample and hold, noise, smoothing and bad rates or phases.
#include "engine/Lfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

namespace
{
constexpr float kSampleRate = 44100.0f;
constexpr double kPi = 3.141592653589793;

std::vector<float> run(Lfo& lfo, int waveform, int samples)
{
    std::vector<float> out(static_cast<size_t>(samples));
    for (float& v : out)
        v = lfo.tick(waveform);
    return out;
}

struct ShapeCase
{
    int waveform;
    double expected[6];  // at 1/8, 2/8, 3/8, 5/8, 6/8 and 7/8 of the cycle
};

class LfoShapeTest : public ::testing::TestWithParam<ShapeCase>
{
};

// Read slowly (0.5 Hz), so the 20-sample smoothing lag is negligible.
TEST_P(LfoShapeTest, FollowsItsShapeOverOneCycle)
{
    const ShapeCase c = GetParam();
    Lfo lfo(kSampleRate);
    lfo.setRate(0.5f);
    const double cycleSamples = 255.0 / lfo.increment;
    const std::vector<float> out = run(lfo, c.waveform, static_cast<int>(cycleSamples) + 1);
    const int eighths[] = {1, 2, 3, 5, 6, 7};
    for (int k = 0; k < 6; ++k)
    {
        SCOPED_TRACE(eighths[k]);
        EXPECT_NEAR(out[static_cast<size_t>(eighths[k] * cycleSamples / 8.0)], c.expected[k], 0.02);
    }
}

const double kHalfRoot2 = std::sqrt(0.5);
INSTANTIATE_TEST_SUITE_P(Waveforms, LfoShapeTest,
                         ::testing::Values(ShapeCase{Lfo::sine,
                                                     {kHalfRoot2, 1.0, kHalfRoot2, -kHalfRoot2, -1.0, -kHalfRoot2}},
                                           ShapeCase{Lfo::triangle, {0.5, 1.0, 0.5, -0.5, -1.0, -0.5}},
                                           ShapeCase{Lfo::saw, {-0.75, -0.5, -0.25, 0.25, 0.5, 0.75}},
                                           ShapeCase{Lfo::square, {1.0, 1.0, 1.0, -1.0, -1.0, -1.0}}));

// The cycle is 255 table steps of 256 per second at rate 1, so the frequency is rate * 256 / 255.
TEST(LfoTest, FrequencyIsRateTimes256Over255)
{
    Lfo lfo(kSampleRate);
    lfo.setRate(3.0f);
    const std::vector<float> out = run(lfo, Lfo::sine, 10 * 44100);
    std::vector<double> crossings;
    for (size_t i = 1; i < out.size(); ++i)
        if (out[i - 1] < 0.0f && out[i] >= 0.0f)
            crossings.push_back(static_cast<double>(i) - out[i] / (out[i] - out[i - 1]));
    ASSERT_GT(crossings.size(), 20u);
    const double period = (crossings.back() - crossings.front()) / (crossings.size() - 1) / kSampleRate;
    EXPECT_NEAR(1.0 / period, 3.0 * 256.0 / 255.0, 1e-3);
}

TEST(LfoTest, SampleAndHoldChangesOnlyWhenThePhaseWrapsAndGlidesThere)
{
    std::srand(7);
    Lfo lfo(kSampleRate);
    lfo.setRate(20.0f);
    int wraps = 0;
    int changes = 0;
    float lastRaw = lfo.rawValue;
    float minValue = 1.0f;
    float maxValue = -1.0f;
    for (int i = 0; i < 44100; ++i)
    {
        const float before = lfo.smoothedValue;
        const float out = lfo.tick(Lfo::sampleAndHold);
        wraps += lfo.wrapped ? 1 : 0;
        if (lfo.rawValue != lastRaw)
        {
            ++changes;
            EXPECT_TRUE(lfo.wrapped);
            // The output moves a twentieth of the way to the new value, not all of it.
            EXPECT_NEAR(out - before, (lfo.rawValue - before) * 0.05f, 1e-5f);
        }
        lastRaw = lfo.rawValue;
        minValue = std::min(minValue, lfo.rawValue);
        maxValue = std::max(maxValue, lfo.rawValue);
    }
    EXPECT_NEAR(wraps, 20 * 256 / 255, 1);
    EXPECT_GE(changes, wraps - 1);  // a draw may repeat only by chance
    EXPECT_GE(minValue, -1.0f);
    EXPECT_LE(maxValue, 1.0f);
    EXPECT_LT(minValue, -0.3f);
    EXPECT_GT(maxValue, 0.3f);

    // Seeding the C library's generator makes the held values repeatable.
    auto sequence = []
    {
        std::srand(42);
        Lfo l(kSampleRate);
        l.setRate(50.0f);
        std::vector<float> values;
        for (int i = 0; i < 10000; ++i)
            values.push_back(l.tick(Lfo::sampleAndHold));
        return values;
    };
    EXPECT_EQ(sequence(), sequence());
}

TEST(LfoTest, NoiseIsSmoothedZeroMeanAndInRange)
{
    Lfo lfo(kSampleRate);
    for (const int waveform : {static_cast<int>(Lfo::noise), 9, -3})
    {
        double sum = 0.0;
        double sumSquares = 0.0;
        const std::vector<float> out = run(lfo, waveform, 100000);
        for (const float v : out)
        {
            ASSERT_LE(std::fabs(v), 1.0f);
            sum += v;
            sumSquares += v * v;
        }
        const double mean = sum / out.size();
        const double rms = std::sqrt(sumSquares / out.size());
        EXPECT_NEAR(mean, 0.0, 0.01);
        // Uniform noise has rms 0.577; the smoothing keeps about a sixth of it.
        EXPECT_GT(rms, 0.05);
        EXPECT_LT(rms, 0.2);
    }
}

// A jump of the raw value is spread over about 20 samples: half-way after 14 (ln 2 / -ln 0.95 = 13.5).
TEST(LfoTest, SmoothingGlidesOverAJump)
{
    Lfo lfo(kSampleRate);
    lfo.increment = 0.0f;
    lfo.heldValue = 1.0f;
    const std::vector<float> out = run(lfo, Lfo::sampleAndHold, 200);
    EXPECT_NEAR(out[0], 0.05f, 1e-6f);
    EXPECT_LT(out[12], 0.5f);
    EXPECT_GT(out[13], 0.5f);
    EXPECT_GT(out[99], 0.99f);
}

TEST(LfoTest, StandsStillAtRateZeroAndForNegativeOrNaNRates)
{
    for (const float rate : {0.0f, -5.0f, std::numeric_limits<float>::quiet_NaN()})
    {
        SCOPED_TRACE(rate);
        Lfo lfo(kSampleRate);
        lfo.phase = 40.0f;
        lfo.setRate(rate);
        run(lfo, Lfo::sine, 1000);
        EXPECT_EQ(lfo.phase, 40.0f);
        EXPECT_NEAR(lfo.smoothedValue, std::sin(2.0 * kPi * 40.0 / 256.0), 1e-4);
    }
}

// Infinite, NaN or huge increments and phases (a modulated rate, a stored start phase of -1) must
// neither hang the wrap-around nor read outside the tables; a valid rate then runs normally.
TEST(LfoTest, ExtremeIncrementsAndPhasesStayFiniteAndRecover)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const float bad : {inf, -inf, nan, 1e30f, -255.0f, -1e9f, 1e9f})
    {
        SCOPED_TRACE(bad);
        for (const int waveform : {0, 1, 2, 3, 4, 5})
        {
            Lfo lfo(kSampleRate);
            lfo.phase = bad;
            lfo.increment = bad;
            for (int i = 0; i < 100; ++i)
                ASSERT_TRUE(std::isfinite(lfo.tick(waveform)));
            lfo.setRate(1.0f);
            run(lfo, waveform, 1000);
            EXPECT_GE(lfo.phase, 0.0f);
            EXPECT_LE(lfo.phase, 256.0f);
        }
    }
}
}  // namespace
