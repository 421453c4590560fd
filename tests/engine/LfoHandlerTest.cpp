// LFO handler: free and synced rates, sync switching, key trigger and re-phasing to the host position.
#include "engine/LfoHandler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace
{
constexpr float kSampleRate = 44100.0f;
constexpr float kQuarterNote = 2.0f / 17.0f;  // synced rate value of "1/4"

// Cycles per second actually produced, counted from the phase.
double measuredFrequency(LfoHandler& handler)
{
    double steps = 0.0;
    float last = handler.lfo.phase;
    for (int i = 0; i < 44100; ++i)
    {
        handler.process();
        float now = handler.lfo.phase;
        steps += now >= last ? now - last : now + 255.0f - last;
        last = now;
    }
    return steps / 255.0;
}

TEST(LfoHandlerTest, FreeRateSpansAbout0point0117To514Hz)
{
    EXPECT_NEAR(LfoHandler::freeRateHz(0.0f), 0.0117f, 1e-4f);
    EXPECT_NEAR(LfoHandler::freeRateHz(1.0f), 514.0f, 0.5f);
    EXPECT_LT(LfoHandler::freeRateHz(0.3f), LfoHandler::freeRateHz(0.31f));
}

TEST(LfoHandlerTest, SyncSwitchesBetweenFreeAndTempoRates)
{
    LfoHandler handler(kSampleRate);
    handler.setSync(1.0f, kQuarterNote, 120.0f);
    EXPECT_TRUE(handler.sync);
    EXPECT_FLOAT_EQ(handler.baseRate, 2.0f);
    EXPECT_NEAR(measuredFrequency(handler), 2.0 * 256.0 / 255.0, 1e-3);

    handler.setRateFromParameter(0.0f, 120.0f);  // "1/16" while synced
    EXPECT_FLOAT_EQ(handler.baseRate, 8.0f);

    handler.setSync(0.0f, 0.5f, 120.0f);
    EXPECT_FALSE(handler.sync);
    EXPECT_FLOAT_EQ(handler.baseRate, LfoHandler::freeRateHz(0.5f));
    EXPECT_NEAR(measuredFrequency(handler), LfoHandler::freeRateHz(0.5f) * 256.0 / 255.0, 1e-3);

    // A tempo change reaches a synced LFO through the same call.
    handler.setSync(0.3f, kQuarterNote, 60.0f);
    EXPECT_FLOAT_EQ(handler.baseRate, 1.0f);
}

// A stored rate value of -1 gives a negative free rate: the LFO stands still instead.
TEST(LfoHandlerTest, NegativeOrNaNRateValueStandsStill)
{
    for (const float rateValue : {-1.0f, std::numeric_limits<float>::quiet_NaN()})
    {
        LfoHandler handler(kSampleRate);
        handler.setRateFromParameter(rateValue, 120.0f);
        EXPECT_EQ(measuredFrequency(handler), 0.0);
    }
}

TEST(LfoHandlerTest, KeyTriggerRestartsAtTheStartPhaseWithAFreshHeldValue)
{
    std::srand(3);
    LfoHandler handler(kSampleRate);
    handler.startPhase = 0.25f;
    handler.setBaseRate(5.0f);
    for (int i = 0; i < 1234; ++i)
        handler.process();

    const float phaseBefore = handler.lfo.phase;
    handler.restartIfKeyTriggered();
    EXPECT_EQ(handler.lfo.phase, phaseBefore);  // key trigger off: nothing happens

    handler.keyTrigger = true;
    const float heldBefore = handler.lfo.heldValue;
    handler.restartIfKeyTriggered();
    EXPECT_NE(handler.lfo.heldValue, heldBefore);
    handler.process();
    EXPECT_NEAR(handler.lfo.rawValue, 1.0f, 1e-3f);  // a quarter of the sine cycle
}

// With "1/4" at 120 bpm (one cycle per beat), host position 2.25 quarter notes puts the LFO a
// quarter of the way into its cycle, plus its start phase.
TEST(LfoHandlerTest, RephasesSyncedFreeRunningLfoToTheHostPosition)
{
    struct Case
    {
        bool sync;
        bool keyTrigger;
        float startPhase;
        double ppq;
        float expectedPhase;  // in table steps; 10 means unchanged
    };
    const Case cases[] = {
        {true, false, 0.0f, 2.25, 0.25f * 255.0f},  {true, false, 0.5f, 2.25, 0.75f * 255.0f},
        {true, false, 0.0f, 4000.5, 0.5f * 255.0f},  // twenty minutes into a song
        {false, false, 0.0f, 2.25, 10.0f},          {true, true, 0.0f, 2.25, 10.0f},
    };
    for (const Case& c : cases)
    {
        LfoHandler handler(kSampleRate);
        handler.keyTrigger = c.keyTrigger;
        handler.startPhase = c.startPhase;
        handler.setSync(c.sync ? 1.0f : 0.0f, kQuarterNote, 120.0f);
        handler.lfo.phase = 10.0f;
        handler.rephaseToHost(c.ppq, 120.0);
        EXPECT_NEAR(handler.lfo.phase, c.expectedPhase, 0.05f);
    }
}

// Without a usable tempo or position the LFO keeps its phase; a NaN position must not leave it stuck.
TEST(LfoHandlerTest, RephaseWithoutUsableTempoOrPositionStaysFinite)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case
    {
        double ppq, bpm;
    };
    for (const Case c : {Case{3.0, 0.0}, Case{3.0, -120.0}, Case{3.0, nan}, Case{nan, 120.0}, Case{1e300, 120.0}})
    {
        LfoHandler handler(kSampleRate);
        handler.setSync(1.0f, kQuarterNote, 120.0f);
        handler.rephaseToHost(c.ppq, c.bpm);
        for (int i = 0; i < 100; ++i)
            ASSERT_TRUE(std::isfinite(handler.process()));
        EXPECT_GT(measuredFrequency(handler), 1.9);
    }
}
}  // namespace
