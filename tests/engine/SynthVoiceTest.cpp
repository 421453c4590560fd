// One voice's note starts by portamento mode, and its silence.
#include "engine/SynthEngine.h"

#include <gtest/gtest.h>

namespace
{
class Voice : public testing::Test
{
protected:
    Voice()
    {
        engine.initialize(44100.0f);
        // A freshly built engine has every envelope speed at 0 until a program sets them.
        auto& amp = *voice().amplitudeEnvelope;
        amp.setAttack(0.0f);
        amp.setDecay(0.0f);
        amp.setRelease(0.9f);
    }

    SynthVoice& voice() { return engine.voiceManager->voices[0]; }

    float render(int samples)
    {
        float l = 0.0f, r = 0.0f;
        for (int i = 0; i < samples; ++i)
        {
            l = r = 0.0f;
            voice().process(&l, &r, 1.0f);
        }
        return l;
    }

    SynthEngine engine;
};
}  // namespace

TEST_F(Voice, ModeOffRestartsTheAmplifierFromItsLevelAndTheOthersFromZero)
{
    voice().portamentoMode = SynthVoice::portamentoOff;
    voice().setNoteOn(60, true, 1.0f);
    render(3000);
    voice().gate = false;
    render(100);
    const float releasing = voice().amplitudeEnvelope->value;
    ASSERT_GT(releasing, 0.0f);

    voice().setNoteOn(62, true, 1.0f);
    EXPECT_EQ(voice().amplitudeEnvelope->value, releasing);
    EXPECT_EQ(voice().filter->envelope.value, 0.0f);
    EXPECT_EQ(voice().freeEnvelope->envelope.value, 0.0f);
    EXPECT_EQ(voice().currentPitch, 62.0f);
}

TEST_F(Voice, ModeOnGlidesFromPitch42AndLegatoKeepsTheEnvelopes)
{
    voice().portamentoMode = SynthVoice::portamentoOn;
    voice().setNoteOn(60, true, 1.0f);
    render(10);
    EXPECT_GT(voice().currentPitch, 42.0f);
    EXPECT_LT(voice().currentPitch, 60.0f);

    render(5000);
    EXPECT_EQ(voice().currentPitch, 60.0f);
    const float level = voice().amplitudeEnvelope->value;
    voice().setNoteOn(72, true, 0.5f);  // legato
    EXPECT_EQ(voice().velocity, 1.0f);
    EXPECT_EQ(voice().amplitudeEnvelope->value, level);
    render(1);
    EXPECT_GT(voice().currentPitch, 60.0f);
    EXPECT_LT(voice().currentPitch, 72.0f);
}

TEST_F(Voice, ModeAutoJumpsWhenNoKeyIsHeld)
{
    voice().portamentoMode = SynthVoice::portamentoAuto;
    voice().setNoteOn(60, true, 1.0f);
    EXPECT_EQ(voice().currentPitch, 60.0f);
    voice().gate = false;
    voice().setNoteOn(48, true, 1.0f);
    EXPECT_EQ(voice().currentPitch, 48.0f);
}

TEST_F(Voice, ASilentVoiceAddsNothing)
{
    float l = 0.25f, r = -0.5f;
    for (int i = 0; i < 3000; ++i)
        EXPECT_FALSE(voice().process(&l, &r, 1.0f));
    EXPECT_EQ(l, 0.25f);
    EXPECT_EQ(r, -0.5f);
    EXPECT_EQ(voice().idleCount, SynthVoice::kIdleTailSamples);
}

TEST_F(Voice, DetuneZeroKeepsExactPitchAndFullDetuneStaysWithinAQuarterPercent)
{
    voice().portamentoMode = SynthVoice::portamentoOff;
    for (int i = 0; i < 50; ++i)
    {
        voice().setNoteOn(69, true, 1.0f);
        EXPECT_GE(voice().detuneRandom, -0.0025f);
        EXPECT_LT(voice().detuneRandom, 0.0025f);
    }
}
