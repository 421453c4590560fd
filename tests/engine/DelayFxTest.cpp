// Echo timing, repeat ratio, saturation at full feedback, the closed tone setting, time changes,
// denormals and bad settings or input for one delay channel.
#include "engine/DelayFx.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace
{
constexpr double kTwoPi = 6.283185307179586;

// Bright tone, the gentlest feedback high-pass: the settings that let most of a pulse through.
DelayFx openDelay(float sampleRate, float time, float feedback)
{
    DelayFx delay(sampleRate);
    delay.setTime(time);
    delay.setFeedback(feedback);
    delay.setTone(0.0f);
    delay.setHighPass(0.979f);
    return delay;
}

std::vector<float> render(DelayFx& delay, const std::vector<float>& input)
{
    std::vector<float> out(input.size());
    for (size_t n = 0; n < input.size(); ++n)
        out[n] = delay.process(&input[n]);
    return out;
}

size_t peakIndex(const std::vector<float>& y, size_t from, size_t to)
{
    size_t best = from;
    for (size_t n = from; n < to && n < y.size(); ++n)
        if (std::fabs(y[n]) > std::fabs(y[best]))
            best = n;
    return best;
}

float randomSample(std::uint32_t& seed)
{
    seed = seed * 1664525u + 1013904223u;
    return static_cast<float>(seed >> 8) / 8388608.0f - 1.0f;
}

struct EchoCase
{
    float sampleRate;
    float time;
    double expectedSeconds;
};

class DelayFxEcho : public ::testing::TestWithParam<EchoCase>
{
};

TEST_P(DelayFxEcho, ArrivesAtFourSecondsTimesTheTime)
{
    const EchoCase c = GetParam();
    DelayFx delay = openDelay(c.sampleRate, c.time, 0.0f);
    const size_t expected = static_cast<size_t>(std::lround(c.expectedSeconds * c.sampleRate));
    std::vector<float> input(expected + 100, 0.0f);
    input[0] = 1.0f;
    const std::vector<float> y = render(delay, input);
    const size_t peak = peakIndex(y, 0, y.size());
    EXPECT_NEAR(static_cast<double>(peak), static_cast<double>(expected), 1.0);
    // At high rates the tone filter's fixed corner in Hz smears the pulse over more samples.
    EXPECT_GT(std::fabs(y[peak]), 0.05f);
    for (size_t n = 0; n + 1 < expected; ++n)
        ASSERT_LT(std::fabs(y[n]), 1e-6f) << "early output at " << n;
}

// 1 is the whole buffer (the oldest sample), 0.01 the shortest delay; fractional positions land
// between two samples.
INSTANTIATE_TEST_SUITE_P(Times, DelayFxEcho,
                         ::testing::Values(EchoCase{44100.0f, 1.0f, 4.0}, EchoCase{44100.0f, 0.01f, 0.04},
                                           EchoCase{44100.0f, 0.3337f, 1.3348}, EchoCase{8000.0f, 0.25f, 1.0},
                                           EchoCase{48000.0f, 0.0123f, 0.0492}, EchoCase{384000.0f, 0.375f, 1.5}));

// RMS of the middle half of each burst-long window starting at the given offsets.
std::vector<double> burstLevels(const std::vector<float>& y, const std::vector<size_t>& starts, size_t burst)
{
    std::vector<double> levels;
    for (const size_t start : starts)
    {
        double sum = 0.0;
        for (size_t n = start + burst / 4; n < start + 3 * burst / 4; ++n)
            sum += static_cast<double>(y[n]) * y[n];
        levels.push_back(std::sqrt(sum / static_cast<double>(burst / 2)));
    }
    return levels;
}

class DelayFxFeedback : public ::testing::TestWithParam<float>
{
};

// A quiet 2 kHz burst: the first echo shows what one pass through the line does to it, and every
// further repeat is that pass times the feedback.
TEST_P(DelayFxFeedback, RepeatsFallByFeedbackTimesOnePass)
{
    const float feedback = GetParam();
    const float sampleRate = 44100.0f;
    DelayFx delay = openDelay(sampleRate, 0.1f, feedback);
    const size_t spacing = 17640;  // 0.4 s
    const size_t burst = 2205;
    std::vector<float> input(4 * spacing, 0.0f);
    for (size_t n = 0; n < burst; ++n)
        input[n] = 0.05f * static_cast<float>(std::sin(kTwoPi * 2000.0 * static_cast<double>(n) / sampleRate));
    const std::vector<float> y = render(delay, input);

    const double inputLevel = 0.05 / std::sqrt(2.0);
    const std::vector<double> echoes = burstLevels(y, {spacing, 2 * spacing, 3 * spacing}, burst);
    const double onePass = echoes[0] / inputLevel;
    EXPECT_GT(onePass, 0.8);
    for (size_t k = 1; k < echoes.size(); ++k)
    {
        const double expected = echoes[k - 1] * feedback * onePass;
        EXPECT_NEAR(echoes[k], expected, 0.015 * expected + 1e-6 * echoes[0]) << "repeat " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Amounts, DelayFxFeedback, ::testing::Values(0.0f, 0.25f, 0.5f, 1.0f));

TEST(DelayFx, FullFeedbackBuildsUpToTheSaturationLevel)
{
    DelayFx delay = openDelay(44100.0f, 0.05f, DelayFx::kMaximumFeedback);
    std::uint32_t seed = 1;
    float peakLate = 0.0f;
    const int total = 20 * 44100;
    for (int n = 0; n < total; ++n)
    {
        const float x = n < 441 ? 0.01f * randomSample(seed) : 0.0f;
        const float y = delay.process(&x);
        if (n > total - 44100)
            peakLate = std::max(peakLate, std::fabs(y));
    }
    EXPECT_GT(peakLate, 0.3f);  // grown from 0.01 instead of dying away
    EXPECT_LT(peakLate, 2.0f);
}

TEST(DelayFx, ClosedToneLetsNothingIn)
{
    DelayFx delay = openDelay(44100.0f, 0.02f, 1.0f);
    delay.setTone(1.0f);
    std::uint32_t seed = 1;
    float peak = 0.0f;
    for (int n = 0; n < 44100; ++n)
    {
        const float x = randomSample(seed);
        peak = std::max(peak, std::fabs(delay.process(&x)));
    }
    EXPECT_LT(peak, 1e-6f);
}

// Switching between two whole-sample delays while sound passes used to leave the interpolator
// ringing at half the sample rate for as long as the time stayed put.
TEST(DelayFx, TimeChangeLeavesNoLastingRinging)
{
    const float sampleRate = 44100.0f;
    DelayFx delay = openDelay(sampleRate, 0.25f, 0.0f);  // exactly 44,100 samples
    std::uint32_t seed = 3;
    const int noise = 3 * 44100;
    float peakLate = 0.0f;
    for (int n = 0; n < noise + 6 * 44100; ++n)
    {
        if (n == 2 * 44100)
            delay.setTime(0.125f);  // exactly 22,050 samples
        const float x = n < noise ? 0.5f * randomSample(seed) : 0.0f;
        const float y = delay.process(&x);
        if (n > noise + 5 * 44100)  // the line holds only silence by now
            peakLate = std::max(peakLate, std::fabs(y));
    }
    EXPECT_LT(peakLate, 1e-6f);
}

TEST(DelayFx, SlowTailInSilenceLeavesNoDenormals)
{
    // Without feedback nothing holds the tone filter away from zero, and at a dark setting its
    // state creeps towards it.
    DelayFx delay = openDelay(44100.0f, 0.01f, 0.0f);
    delay.setTone(0.95f);
    std::uint32_t seed = 5;
    for (int n = 0; n < 20 * 44100; ++n)
    {
        const float x = n < 4410 ? randomSample(seed) : 0.0f;
        delay.process(&x);
    }
    for (const float state :
         {delay.toneFilter.v, delay.toneFilter.w, delay.previousOutput, delay.feedbackHighPass.output})
        EXPECT_NE(std::fpclassify(state), FP_SUBNORMAL);
    for (const float stored : delay.buffer)
        ASSERT_NE(std::fpclassify(stored), FP_SUBNORMAL);
}

TEST(DelayFx, BadSettingsAndInputStayFiniteAndRecover)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const float bad : {-1.0f, 2.0f, 1.0e30f, nan, inf})
    {
        DelayFx delay = openDelay(44100.0f, 0.02f, 1.0f);
        delay.setTime(bad);
        delay.setFeedback(bad);
        delay.setTone(bad);
        delay.setHighPass(bad);
        std::uint32_t seed = 7;
        for (int n = 0; n < 2 * 44100; ++n)
        {
            const float x = n % 5 == 0 ? nan : (n % 3 == 0 ? 1.0e30f * randomSample(seed) : randomSample(seed));
            ASSERT_TRUE(std::isfinite(delay.process(&x))) << "setting " << bad << " sample " << n;
        }

        // Valid settings again: once the line has emptied, a pulse comes back 40 ms later.
        delay.setTime(0.01f);
        delay.setFeedback(0.0f);
        delay.setTone(0.0f);
        delay.setHighPass(0.979f);
        std::vector<float> input(5 * 44100, 0.0f);
        const size_t pulse = 4 * 44100 + 100;
        input[pulse] = 1.0f;
        const std::vector<float> y = render(delay, input);
        EXPECT_EQ(peakIndex(y, pulse - 1000, y.size()), pulse + 1764u) << "setting " << bad;
        DelayFx fresh = openDelay(44100.0f, 0.01f, 0.0f);
        const std::vector<float> reference = render(fresh, input);
        EXPECT_NEAR(y[pulse + 1764], reference[pulse + 1764], 1e-3f) << "setting " << bad;
    }
}
}  // namespace
