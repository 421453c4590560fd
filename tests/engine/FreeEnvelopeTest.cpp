// The free attack/decay envelope: attack, decay to 0, hold, fixed release and the instant-attack rule.
#include "engine/FreeEnvelope.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
TEST(FreeEnvelopeTest, RisesDecaysToZeroAndHoldsThere)
{
    FreeEnvelope env(44100.0f);
    env.envelope.setAttack(0.1f);
    env.envelope.setDecay(0.1f);
    float peak = 0.0f;
    for (int i = 0; i < 44100; ++i)
        peak = std::max(peak, env.tick(true));
    EXPECT_EQ(peak, 1.0f);
    EXPECT_EQ(env.value, 0.0f);
    EXPECT_EQ(env.envelope.state, Adsr::sustainStage);
}

// Without a release parameter it releases like the slowest release setting: about 13 s from full level.
TEST(FreeEnvelopeTest, ReleasesAtTheSlowestReleaseSpeed)
{
    FreeEnvelope env(44100.0f);
    env.envelope.setAttack(0.0f);
    env.envelope.setDecay(1.0f);  // about 25 s to fall, so the gate closes near the top
    for (int i = 0; i < 200; ++i)
        env.tick(true);
    const float start = env.tick(false);
    ASSERT_GT(start, 0.99f);
    int samples = 1;
    while (env.tick(false) > 0.0f)
        ++samples;
    EXPECT_NEAR(samples / 44100.0, 13.0, 0.2);
}

TEST(FreeEnvelopeTest, ZeroAttackReadsAsFullLevelFromTheFirstSample)
{
    FreeEnvelope env(44100.0f);
    env.envelope.setAttack(0.0f);
    env.envelope.setDecay(0.5f);
    env.envelope.reset();
    EXPECT_EQ(env.tick(true), 1.0f);
    EXPECT_LT(env.envelope.output, 0.1f);
}
}  // namespace
