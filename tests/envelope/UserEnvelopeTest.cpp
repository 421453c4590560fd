// A voice's run through the user envelope: when it moves, how long a cycle lasts, one-shot and loop ends.
#include "envelope/UserEnvelope.h"
#include "tests/envelope/EnvelopeTestCurves.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
// One engine's envelope and settings with one voice attached; the curve is `testcurves::wave`.
struct UserEnvelopeTest : ::testing::Test
{
    UserEnvelopeTest()
    {
        envelope.loadProgramPoints(testcurves::wave());
        settings.envelope = &envelope;
        settings.destination = UserEnvelopeDestination::filter;
        settings.amount = 0.5f;
        voice.settings = &settings;
    }

    // A cycle of `samples` samples at x1.
    void setCycle(float samples)
    {
        envelope.samplesPerBeat = samples;
        envelope.timeSigNumerator = 1.0f;
        envelope.timeSigDenominator = 1.0f;
    }

    EnvelopeEditor envelope{48000.0f};
    UserEnvelopeSettings settings;
    UserEnvelopeVoiceState voice;
};
}  // namespace

TEST_F(UserEnvelopeTest, OffOrZeroAmountGivesZeroAndHoldsThePhase)
{
    struct Case
    {
        int destination;
        float amount;
    };
    for (const auto c : {Case{UserEnvelopeDestination::off, 1.0f}, Case{UserEnvelopeDestination::volume, 0.0f},
                         Case{UserEnvelopeDestination::osc1, -0.0f}})
    {
        settings.destination = c.destination;
        settings.amount = c.amount;
        voice.phase = 0.4f;
        voice.value = 0.7f;
        for (int i = 0; i < 100; ++i)
            EXPECT_EQ(voice.process(), 0.0f);
        EXPECT_EQ(voice.value, 0.0f);
        EXPECT_EQ(voice.phase, 0.4f);
    }
}

TEST_F(UserEnvelopeTest, ACycleLastsTheTimedNumberOfSamples)
{
    // 120 bpm in 4/4 at x32: half a beat, 12,000 samples at 48 kHz.
    envelope.applyHostTiming(120.0, 4, 4);
    envelope.speedFactor = 32.0f;
    envelope.rebuildLookupTable();

    std::vector<int> wrapsAt;
    float previous = voice.phase;
    for (int i = 1; i <= 36000 + 10; ++i)
    {
        voice.process();
        if (voice.phase < previous)
            wrapsAt.push_back(i);
        previous = voice.phase;
    }
    ASSERT_EQ(wrapsAt.size(), 3u);
    for (size_t k = 0; k < wrapsAt.size(); ++k)
        EXPECT_NEAR(wrapsAt[k], 12000 * (int)(k + 1), 3);

    envelope.isOneShot = true;
    voice.resetPhase();
    int samplesToEnd = 0;
    while (voice.phase < 1.0f && samplesToEnd < 20000)
    {
        voice.process();
        ++samplesToEnd;
    }
    EXPECT_NEAR(samplesToEnd, 12000, 2);
}

TEST_F(UserEnvelopeTest, OneShotHoldsTheEndLevelUntilNoteOnAndLoopCarriesTheOvershoot)
{
    setCycle(20.0f);  // a step of 0.05

    voice.phase = 0.98f;
    voice.process();
    EXPECT_NEAR(voice.phase, 0.03f, 1e-6f);
    EXPECT_FLOAT_EQ(voice.value, EnvelopeEditor::evaluateCurve(envelope.points, voice.phase) * 0.5f);

    envelope.isOneShot = true;
    for (bool fromTable : {false, true})
    {
        if (fromTable)
            envelope.rebuildLookupTable();
        voice.phase = 0.98f;
        for (int i = 0; i < 50; ++i)
        {
            voice.process();
            ASSERT_EQ(voice.phase, 1.0f);
            ASSERT_FLOAT_EQ(voice.value, 0.8f * 0.5f) << (fromTable ? "table" : "direct");
        }
    }

    // The value is read after the advance: a note-on starts the curve one step in.
    envelope.isDirty = true;
    voice.resetPhase();
    voice.process();
    EXPECT_FLOAT_EQ(voice.phase, 0.05f);
    EXPECT_NEAR(voice.value, EnvelopeEditor::evaluateCurve(envelope.points, 0.05f) * 0.5f, 1e-6f);
}

TEST_F(UserEnvelopeTest, VolumeFollowerSettlesAtHalfTheValue)
{
    float gain = 0.0f;
    for (int i = 0; i < 40; ++i)
    {
        const float next = settings.followVolume(0.8f);
        EXPECT_GE(next, gain);
        gain = next;
    }
    EXPECT_NEAR(gain, 0.4f, 1e-6f);
    EXPECT_FLOAT_EQ(settings.followVolume(0.0f), 0.2f);
}
