// The time rule (free, synced, halved, tempo), echoes through the section, wet level and clearing,
// and bad settings.
#include "engine/DelaySection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace
{
constexpr float kSampleRate = 44100.0f;
const float kNaN = std::numeric_limits<float>::quiet_NaN();

struct TimeCase
{
    float value;
    bool sync;
    bool halveLeft;
    bool halveRight;
    float tempo;
    float left;
    float right;
};

class DelayTimeRule : public ::testing::TestWithParam<TimeCase>
{
};

TEST_P(DelayTimeRule, GivesTheExpectedFractions)
{
    const TimeCase c = GetParam();
    const DelayTimes t = DelaySection::computeTimes(c.value, c.sync, c.halveLeft, c.halveRight, c.tempo);
    EXPECT_NEAR(t.left, c.left, 1e-6f);
    EXPECT_NEAR(t.right, c.right, 1e-6f);
}

// Times are fractions of the four-second buffer. Free: 40 ms at 0, 4 s at 1, exponential between.
// Synced: the note-length table at the tempo, indexed by the truncated value * 17.
INSTANTIATE_TEST_SUITE_P(
    Cases, DelayTimeRule,
    ::testing::Values(TimeCase{0.0f, false, false, false, 120.0f, 0.01f, 0.01f},
                      TimeCase{1.0f, false, false, false, 120.0f, 1.0f, 1.0f},
                      TimeCase{0.5f, false, false, false, 120.0f, 0.1909166f, 0.1909166f},
                      TimeCase{0.5f, false, true, false, 120.0f, 0.0954583f, 0.1909166f},
                      TimeCase{0.0f, false, false, true, 120.0f, 0.01f, 0.01f},    // halved, then limited
                      TimeCase{0.5f, true, false, false, 120.0f, 0.375f, 0.375f},  // entry 8: 45
                      TimeCase{0.5f, true, false, true, 120.0f, 0.375f, 0.1875f},
                      TimeCase{2.0f / 17.0f, true, false, false, 120.0f, 0.25f, 0.25f},  // entry 2: 30
                      TimeCase{0.0f, true, false, false, 120.0f, 0.0625f, 0.0625f},      // 7.5
                      TimeCase{14.0f / 17.0f, true, false, false, 120.0f, 19.999998f / 120.0f,
                               19.999998f / 120.0f},                           // entry 14
                      TimeCase{1.0f, true, false, false, 120.0f, 1.0f, 1.0f},  // 159.99998 / 120
                      TimeCase{1.0f, true, true, true, 240.0f, 0.33333325f, 0.33333325f},
                      TimeCase{5.0f / 17.0f, true, false, false, 60.0f, 1.0f, 1.0f},  // 240 / 60, limited
                      TimeCase{0.5f, true, false, false, 0.0f, 1.0f, 1.0f},           // no tempo
                      TimeCase{1.5f, true, false, false, 120.0f, 0.0125f, 0.0125f},   // off the table
                      TimeCase{-1.0f, false, false, false, 120.0f, 0.01f, 0.01f},
                      TimeCase{1.0e30f, false, false, false, 120.0f, 1.0f, 1.0f},
                      TimeCase{kNaN, true, false, false, 120.0f, 0.01f, 0.01f},
                      TimeCase{0.5f, true, false, false, kNaN, 0.01f, 0.01f}));

// Samples from an impulse on both channels to the echo's peak, left and right.
struct EchoDelays
{
    size_t left;
    size_t right;
};

EchoDelays measureEchoes(DelaySection& delay, size_t maxSamples)
{
    EchoDelays found{0, 0};
    float bestLeft = 0.0f;
    float bestRight = 0.0f;
    for (size_t n = 0; n < maxSamples; ++n)
    {
        float left = n == 0 ? 1.0f : 0.0f;
        float right = left;
        delay.process(left, right);
        if (n > 0 && std::fabs(left) > bestLeft)
        {
            bestLeft = std::fabs(left);
            found.left = n;
        }
        if (n > 0 && std::fabs(right) > bestRight)
        {
            bestRight = std::fabs(right);
            found.right = n;
        }
    }
    return found;
}

DelaySection openSection()
{
    DelaySection delay(kSampleRate);
    delay.setWet(1.0f);
    delay.setFeedback(0.0f);
    delay.setTone(0.0f);
    delay.setHighPass(0.979f);
    return delay;
}

struct SectionEchoCase
{
    float value;
    bool sync;
    bool halveLeft;
    bool halveRight;
    float tempo;
    double leftSeconds;
    double rightSeconds;
};

class DelaySectionEcho : public ::testing::TestWithParam<SectionEchoCase>
{
};

TEST_P(DelaySectionEcho, EchoesArriveAtTheRuleTimes)
{
    const SectionEchoCase c = GetParam();
    DelaySection delay = openSection();
    delay.followTempo(c.tempo);
    delay.setSync(c.sync);
    delay.setHalveLeft(c.halveLeft);
    delay.setHalveRight(c.halveRight);
    delay.setTimeValue(c.value);
    const EchoDelays echoes = measureEchoes(delay, static_cast<size_t>(4.1 * kSampleRate));
    EXPECT_NEAR(static_cast<double>(echoes.left), c.leftSeconds * kSampleRate, 1.0);
    EXPECT_NEAR(static_cast<double>(echoes.right), c.rightSeconds * kSampleRate, 1.0);
}

// At 120 bpm the "1/4" entry is a whole second: two beats.
INSTANTIATE_TEST_SUITE_P(Settings, DelaySectionEcho,
                         ::testing::Values(SectionEchoCase{0.5f, true, false, false, 120.0f, 1.5, 1.5},
                                           SectionEchoCase{0.5f, true, true, false, 120.0f, 0.75, 1.5},
                                           SectionEchoCase{2.0f / 17.0f, true, false, true, 120.0f, 1.0, 0.5},
                                           SectionEchoCase{2.0f / 17.0f, true, false, false, 90.0f, 4.0 / 3.0,
                                                           4.0 / 3.0},
                                           SectionEchoCase{0.0f, false, false, false, 120.0f, 0.04, 0.04},
                                           SectionEchoCase{0.5f, false, false, true, 120.0f, 0.7636662, 0.3818331}));

TEST(DelaySection, FollowsOnlyPlausibleTempoChanges)
{
    DelaySection delay(kSampleRate);
    delay.setSync(true);
    delay.setTimeValue(0.5f);
    EXPECT_FLOAT_EQ(delay.leftDelay.time, 0.375f);
    for (const float ignored : {120.0f, 1.0f, 1000.0f, 0.0f, -60.0f, kNaN})
    {
        EXPECT_FALSE(delay.followTempo(ignored)) << ignored;
        EXPECT_FLOAT_EQ(delay.rightDelay.time, 0.375f) << ignored;
    }
    EXPECT_TRUE(delay.followTempo(180.0f));
    EXPECT_FLOAT_EQ(delay.leftDelay.time, 0.25f);
    EXPECT_FLOAT_EQ(delay.rightDelay.time, 0.25f);

    // A free time ignores the tempo but the tempo is kept for a later switch to sync.
    delay.setSync(false);
    const float freeTime = delay.leftDelay.time;
    EXPECT_TRUE(delay.followTempo(90.0f));
    EXPECT_FLOAT_EQ(delay.leftDelay.time, freeTime);
    delay.setSync(true);
    EXPECT_FLOAT_EQ(delay.leftDelay.time, 0.5f);
}

// Level of what comes back from a line after a burst, a wet change and then silence.
double leftoverAfterWetChange(float wetDuringSound, float wetBetween)
{
    DelaySection delay = openSection();
    delay.setWet(wetDuringSound);
    delay.setTimeValue(0.0f);  // 40 ms
    for (int n = 0; n < 1000; ++n)
    {
        float left = 0.5f;
        float right = -0.5f;
        delay.process(left, right);
    }
    delay.setWet(wetBetween);
    delay.setWet(1.0f);
    double peak = 0.0;
    for (int n = 0; n < 4000; ++n)
    {
        float left = 0.0f;
        float right = 0.0f;
        delay.process(left, right);
        peak = std::max(peak, static_cast<double>(std::fabs(left) + std::fabs(right)));
    }
    return peak;
}

TEST(DelaySection, WetZeroEmptiesTheLinesButASmallWetDoesNot)
{
    EXPECT_LT(leftoverAfterWetChange(1.0f, 0.0f), 1e-6);
    EXPECT_GT(leftoverAfterWetChange(1.0f, 0.0001f), 0.3);
    EXPECT_GT(leftoverAfterWetChange(0.0001f, 0.0001f), 0.3);  // a tiny wet still fills the lines
}

TEST(DelaySection, WetZeroLeavesTheSignalExactlyAlone)
{
    DelaySection delay = openSection();
    delay.setWet(0.0f);
    std::uint32_t seed = 9;
    for (int n = 0; n < 10000; ++n)
    {
        seed = seed * 1664525u + 1013904223u;
        const float x = static_cast<float>(seed >> 8) / 8388608.0f - 1.0f;
        float left = x;
        float right = -x;
        delay.process(left, right);
        ASSERT_EQ(left, x);
        ASSERT_EQ(right, -x);
    }
    EXPECT_EQ(delay.leftDelay.writePosition, delay.leftDelay.length - 1);  // the lines stood still
}

TEST(DelaySection, BadSettingsAndInputStayFiniteAndRecover)
{
    const float inf = std::numeric_limits<float>::infinity();
    for (const float bad : {-1.0f, 2.0f, 1.0e30f, kNaN, inf})
    {
        DelaySection delay = openSection();
        delay.setWet(bad);
        delay.setTimeValue(bad);
        delay.setFeedback(bad);
        delay.setTone(bad);
        delay.setHighPass(bad);
        delay.followTempo(bad);
        delay.setSync(true);
        for (int n = 0; n < 44100; ++n)
        {
            float left = n % 4 == 0 ? 1.0e30f : -1.0e30f;
            float right = n % 7 == 0 ? kNaN : 0.3f;
            delay.process(left, right);
            ASSERT_TRUE(std::isfinite(left)) << bad;
        }
        for (int n = 0; n < 100; ++n)
        {
            float left = 0.1f;
            float right = 0.1f;
            delay.process(left, right);
            ASSERT_TRUE(std::isfinite(right)) << bad;
        }

        delay.setWet(0.0f);
        delay.setWet(1.0f);
        delay.setFeedback(0.0f);
        delay.setTone(0.0f);
        delay.setHighPass(0.979f);
        delay.setSync(false);
        delay.setTimeValue(0.0f);
        const EchoDelays echoes = measureEchoes(delay, 3000);
        EXPECT_EQ(echoes.left, 1764u) << bad;
        EXPECT_EQ(echoes.right, 1764u) << bad;
    }
}
}  // namespace
