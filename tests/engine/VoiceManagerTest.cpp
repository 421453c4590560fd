// Which voice plays which note: mono key stack, polyphonic reuse and stealing.
#include "engine/SynthEngine.h"

#include <gtest/gtest.h>

namespace
{
class VoiceAllocation : public testing::Test
{
protected:
    VoiceAllocation()
    {
        engine.initialize(44100.0f);
        engine.forEachVoice([](SynthVoice& v) { v.portamentoMode = SynthVoice::portamentoOff; });
    }

    SynthVoice& voice(int i) { return engine.voiceManager->voices[(size_t)i]; }

    void render(int samples)
    {
        float l = 0.0f, r = 0.0f;
        for (int i = 0; i < samples; ++i)
            engine.renderSample(l, r);
    }

    SynthEngine engine;
};
}  // namespace

TEST_F(VoiceAllocation, MonoReturnsToTheKeyStillHeld)
{
    engine.setNumberOfVoices(1);
    engine.noteOn(60, 0.8f);
    engine.noteOn(64, 0.9f);
    EXPECT_EQ(voice(0).note, 64);
    engine.noteOff(64);
    EXPECT_EQ(voice(0).note, 60);
    EXPECT_TRUE(voice(0).gate);
    EXPECT_EQ(voice(0).velocity, 0.0f);  // the returning note comes back at velocity 0
    engine.noteOff(60);
    EXPECT_FALSE(voice(0).gate);
}

TEST_F(VoiceAllocation, MonoKeyPressedTwiceIsHeldUntilReleasedTwice)
{
    engine.setNumberOfVoices(1);
    engine.noteOn(60, 1.0f);
    engine.noteOn(60, 1.0f);
    engine.noteOff(60);
    EXPECT_TRUE(voice(0).gate);
    engine.noteOff(60);
    EXPECT_FALSE(voice(0).gate);
}

TEST_F(VoiceAllocation, TwoVoicesStealTheFirstAssignedAgainAndAgain)
{
    engine.setNumberOfVoices(2);
    engine.noteOn(60, 1.0f);
    engine.noteOn(64, 1.0f);
    EXPECT_EQ(voice(0).note, 60);
    EXPECT_EQ(voice(1).note, 64);
    engine.noteOn(67, 1.0f);
    EXPECT_EQ(voice(0).note, 67);
    engine.noteOn(71, 1.0f);
    EXPECT_EQ(voice(0).note, 71);
    EXPECT_EQ(voice(1).note, 64);
    for (int i = 2; i < 6; ++i)
        EXPECT_FALSE(voice(i).gate);
}

TEST_F(VoiceAllocation, AKeyPressedAgainWhileReleasingReusesItsVoice)
{
    engine.setNumberOfVoices(4);
    engine.forEachVoice(
        [](SynthVoice& v)
        {
            v.amplitudeEnvelope->setAttack(0.0f);
            v.amplitudeEnvelope->setRelease(0.9f);
        });
    engine.noteOn(60, 1.0f);
    engine.noteOn(64, 1.0f);
    render(200);
    engine.noteOff(60);
    render(50);
    ASSERT_GT(voice(0).amplitudeEnvelope->value, 0.0f);
    engine.noteOn(60, 1.0f);
    EXPECT_TRUE(voice(0).gate);
    EXPECT_FALSE(voice(2).gate);
}

TEST_F(VoiceAllocation, AllNotesOffReleasesAndForgets)
{
    engine.setNumberOfVoices(6);
    for (int n = 0; n < 6; ++n)
        engine.noteOn(60 + n, 1.0f);
    engine.allNotesOff();
    for (int i = 0; i < 6; ++i)
        EXPECT_FALSE(voice(i).gate);
    EXPECT_TRUE(engine.voiceManager->voiceOrder.isEmpty());

    // With every voice held and the order emptied by a voice-count change, voice 0 is stolen.
    for (int n = 0; n < 6; ++n)
        engine.noteOn(70 + n, 1.0f);
    engine.setNumberOfVoices(6);
    engine.noteOn(90, 1.0f);
    EXPECT_EQ(voice(0).note, 90);
}

TEST_F(VoiceAllocation, LongKeyStacksAndOrdersStayBounded)
{
    engine.setNumberOfVoices(1);
    for (int i = 0; i < 1000; ++i)
        engine.noteOn(i % 128, 1.0f);
    EXPECT_LE(engine.voiceManager->heldNotes.count, 128);
    EXPECT_EQ(voice(0).note, 999 % 128);
}
