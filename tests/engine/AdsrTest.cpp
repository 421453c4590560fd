// Envelope stage timings, the instant-attack rule, gate handling, the release ramp and bad settings.
#include "engine/Adsr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace
{
enum class Stage
{
    attack,
    decay,
    release
};

struct TimingCase
{
    float sampleRate;
    Stage stage;
    float setting;  // normalised attack, decay or release value
    float sustain;
    double expectedMs;
};

// Milliseconds the given stage takes: attack from 0 to full level, decay from full level to the
// sustain level, release from full level (sustain 1) to 0.
double measureStageMs(const TimingCase& c)
{
    Adsr env(c.sampleRate);
    env.setAttack(c.stage == Stage::attack ? c.setting : 0.0f);
    env.setDecay(c.stage == Stage::decay ? c.setting : 0.0f);
    env.setRelease(c.stage == Stage::release ? c.setting : 0.0f);
    env.sustain = c.stage == Stage::release ? 1.0f : c.sustain;

    int samples = 0;
    while (env.tick(true) < 1.0f)
        ++samples;
    ++samples;
    if (c.stage == Stage::attack)
        return samples * 1000.0 / c.sampleRate;

    samples = 0;
    if (c.stage == Stage::decay)
    {
        while (env.tick(true) > c.sustain)
            ++samples;
    }
    else
    {
        env.tick(true);
        while (env.tick(false) > 0.0f)
            ++samples;
    }
    return (samples + 1) * 1000.0 / c.sampleRate;
}

class AdsrTimingTest : public ::testing::TestWithParam<TimingCase>
{
};

TEST_P(AdsrTimingTest, StageLastsAsLongAsExpected)
{
    const TimingCase c = GetParam();
    EXPECT_NEAR(measureStageMs(c), c.expectedMs, c.expectedMs * 0.02 + 0.05);
}

// The attack doubles in length at twice the sample rate; decay and release keep nearly their times.
INSTANTIATE_TEST_SUITE_P(Stages, AdsrTimingTest,
                         ::testing::Values(TimingCase{44100.0f, Stage::attack, 0.0f, 1.0f, 3.26},
                                           TimingCase{88200.0f, Stage::attack, 0.0f, 1.0f, 6.58},
                                           TimingCase{44100.0f, Stage::attack, 0.25f, 1.0f, 48.7},
                                           TimingCase{44100.0f, Stage::attack, 0.5f, 1.0f, 1444.0},
                                           TimingCase{44100.0f, Stage::decay, 0.0f, 0.0f, 4.41},
                                           TimingCase{44100.0f, Stage::decay, 0.5f, 0.5f, 404.2},
                                           TimingCase{88200.0f, Stage::decay, 0.5f, 0.5f, 405.4},
                                           TimingCase{44100.0f, Stage::decay, 0.5f, 0.0f, 3241.0},
                                           TimingCase{44100.0f, Stage::release, 0.0f, 1.0f, 4.67},
                                           TimingCase{44100.0f, Stage::release, 0.5f, 1.0f, 1015.0},
                                           TimingCase{88200.0f, Stage::release, 0.5f, 1.0f, 1142.0}));

TEST(AdsrTest, ZeroAttackSettingReadsAsFullLevelOnlyThroughTheInstantAttackRule)
{
    Adsr env(44100.0f);
    env.setAttack(0.0f);  // the coefficient is still nonzero: the level itself ramps
    env.reset();

    const float first = env.tick(true);
    EXPECT_LT(first, 0.1f);
    EXPECT_EQ(env.levelWithInstantAttack(), 1.0f);

    while (env.state == Adsr::attack)
    {
        EXPECT_EQ(env.levelWithInstantAttack(), 1.0f);
        env.tick(true);
    }
    env.tick(true);
    EXPECT_EQ(env.levelWithInstantAttack(), env.output);

    Adsr slow(44100.0f);
    slow.setAttack(0.01f);
    slow.tick(true);
    EXPECT_EQ(slow.levelWithInstantAttack(), slow.output);
    EXPECT_LT(slow.output, 0.1f);
}

TEST(AdsrTest, GateOffDuringAttackReleasesFromTheCurrentLevel)
{
    Adsr env(44100.0f);
    env.setAttack(0.5f);
    env.setRelease(0.3f);
    for (int i = 0; i < 10000; ++i)
        env.tick(true);
    const float reached = env.output;
    ASSERT_GT(reached, 0.05f);
    ASSERT_LT(reached, 0.9f);

    const float first = env.tick(false);
    EXPECT_EQ(env.state, Adsr::release);
    EXPECT_NEAR(first, reached, reached * 1e-3f);
    float last = first;
    while (env.state == Adsr::release)
    {
        const float level = env.tick(false);
        EXPECT_LE(level, last);
        last = level;
    }
    EXPECT_EQ(env.state, Adsr::idle);
    EXPECT_EQ(env.output, 0.0f);
}

TEST(AdsrTest, GateOffAtZeroGoesIdleWithoutRelease)
{
    Adsr env(44100.0f);
    env.reset();
    EXPECT_EQ(env.tick(false), 0.0f);
    EXPECT_EQ(env.state, Adsr::idle);
}

TEST(AdsrTest, SustainZeroEndsAtZeroAndReleasesAtOnce)
{
    Adsr env(44100.0f);
    env.setAttack(0.0f);
    env.setDecay(0.2f);
    env.sustain = 0.0f;
    for (int i = 0; i < 44100; ++i)
        env.tick(true);
    EXPECT_EQ(env.state, Adsr::sustainStage);
    for (int i = 0; i < 1000; ++i)
        EXPECT_EQ(env.tick(true), 0.0f);

    EXPECT_EQ(env.tick(false), 0.0f);
    EXPECT_EQ(env.state, Adsr::idle);
}

TEST(AdsrTest, SustainChangeTakesEffectAtOnce)
{
    Adsr env(44100.0f);
    env.setAttack(0.0f);
    env.setDecay(0.0f);
    env.sustain = 0.7f;
    for (int i = 0; i < 44100; ++i)
        env.tick(true);
    env.sustain = 0.2f;
    EXPECT_EQ(env.tick(true), 0.2f);
}

// The release starts with zero slope and reaches its full exponential speed after 5.67 ms.
TEST(AdsrTest, ReleaseRampsToFullSpeedIn5point67MsAtAnySampleRate)
{
    for (const float sampleRate : {44100.0f, 88200.0f})
    {
        SCOPED_TRACE(sampleRate);
        Adsr env(sampleRate);
        env.setAttack(0.0f);
        env.setRelease(0.3f);
        env.sustain = 1.0f;
        for (int i = 0; i < 2000; ++i)
            env.tick(true);

        // Fraction of the distance to the release target covered per sample.
        const int rampSamples = static_cast<int>(std::lround(0.005669 * sampleRate));
        std::vector<double> speed;
        double previous = env.output;
        for (int i = 0; i < 2 * rampSamples; ++i)
        {
            const double level = env.tick(false);
            speed.push_back((previous - level) / (previous + env.rateScale));
            previous = level;
        }
        const double fullSpeed = speed.back();
        ASSERT_GT(fullSpeed, 0.0);
        EXPECT_LT(speed[0], fullSpeed * 0.01);
        EXPECT_NEAR(speed[rampSamples / 2], fullSpeed * 0.5, fullSpeed * 0.02);
        EXPECT_NEAR(speed[rampSamples - 1], fullSpeed, fullSpeed * 0.01);
        EXPECT_NEAR(speed[rampSamples + 10], fullSpeed, fullSpeed * 2e-3);
    }
}

// A NaN or infinite setting may silence the envelope, but never makes it emit non-finite levels,
// and the next valid setting brings the normal cycle back.
TEST(AdsrTest, BadSettingsStayFiniteAndRecover)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const float bad : {nan, inf, -inf, 1e30f, -1e30f, -1.0f, 2.0f})
    {
        SCOPED_TRACE(bad);
        Adsr env(44100.0f);
        env.setAttack(bad);
        env.setDecay(bad);
        env.setRelease(bad);
        env.sustain = bad;
        for (int i = 0; i < 20000; ++i)
        {
            if (i % 5000 == 0)
                env.reset();
            ASSERT_TRUE(std::isfinite(env.tick((i / 2500) % 2 == 0)));
        }

        env.setAttack(0.0f);
        env.setDecay(0.0f);
        env.setRelease(0.0f);
        env.sustain = 0.5f;
        env.reset();
        float peak = 0.0f;
        for (int i = 0; i < 4410; ++i)
            peak = std::max(peak, env.tick(true));
        EXPECT_EQ(peak, 1.0f);
        EXPECT_EQ(env.output, 0.5f);
        for (int i = 0; i < 4410; ++i)
            env.tick(false);
        EXPECT_EQ(env.output, 0.0f);
    }
}
}  // namespace
