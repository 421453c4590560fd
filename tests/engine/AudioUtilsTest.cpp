// The tempo-synced LFO rate table: note-length texts and rates, and values outside 0..1.
#include "engine/AudioUtils.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace
{
struct SyncCase
{
    float value;
    const char* text;
    float hzAt120Bpm;  // 2 beats per second
};

class SyncedRateTest : public ::testing::TestWithParam<SyncCase>
{
};

TEST_P(SyncedRateTest, GivesTextAndRate)
{
    const SyncCase c = GetParam();
    float value = c.value;
    EXPECT_EQ(std::string(AudioUtils::getSyncedRateAndGetText(&value, 120.0f)), c.text);
    EXPECT_NEAR(value, c.hzAt120Bpm, 1e-5f);
}

// Triplets raise the rate by 1.5; dotted entries by 4/3, so "1/4." runs faster than "1/4".
// Out-of-range values (a preset may hold them) use the nearest end of the table.
INSTANTIATE_TEST_SUITE_P(Table, SyncedRateTest,
                         ::testing::Values(SyncCase{0.0f, "1/16", 8.0f}, SyncCase{1.0f / 17.0f, "1/8", 4.0f},
                                           SyncCase{2.0f / 17.0f, "1/4", 2.0f}, SyncCase{5.0f / 17.0f, "2/1", 0.25f},
                                           SyncCase{0.05f, "1/16", 8.0f}, SyncCase{8.0f / 17.0f, "1/4T", 3.0f},
                                           SyncCase{14.0f / 17.0f, "1/4.", 2.6666668f},
                                           SyncCase{0.999f, "1/1.", 0.6666667f}, SyncCase{1.0f, "2/1.", 0.33333334f},
                                           SyncCase{2.0f, "2/1.", 0.33333334f}, SyncCase{1e30f, "2/1.", 0.33333334f},
                                           SyncCase{-1.0f, "1/16", 8.0f},
                                           SyncCase{std::numeric_limits<float>::quiet_NaN(), "1/16", 8.0f}));

TEST(AudioUtilsTest, RateFollowsTheTempo)
{
    float value = 2.0f / 17.0f;  // "1/4": one cycle per beat
    AudioUtils::getSyncedRateAndGetText(&value, 90.0f);
    EXPECT_FLOAT_EQ(value, 1.5f);
}
}  // namespace
