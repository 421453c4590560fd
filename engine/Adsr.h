// Exponential attack/decay/sustain/release envelope generator, ticked once per sample.
#pragma once

class Adsr
{
public:
    enum State
    {
        attack = 0,
        decay = 1,
        sustainStage = 2,
        release = 3,
        idle = 4
    };

    explicit Adsr(float sampleRate = 44100.0f);

    // One sample of the envelope for the given gate (true while the note is held); level 0..1.
    float tick(bool gate);

    // The level as the filter and free envelopes read it: 1.0 throughout an attack whose setting is
    // exactly 0, otherwise the last output. The amplitude envelope reads `output` directly.
    float levelWithInstantAttack() const { return (state == attack && attackSetting == 0.0f) ? 1.0f : output; }

    // Restarting keeps the current level (a re-triggered note rises from where it is); resetting
    // starts from silence.
    void restart() { state = attack; }
    void reset()
    {
        state = attack;
        value = 0.0f;
    }

    // Parameter conversions from normalised values (0..1); each coefficient contains the rate scale once.
    void setAttack(float normalised);
    void setDecay(float normalised);
    void setRelease(float normalised);
    static float attackCoefficientFor(float normalised, float rateScale);
    static float decayCoefficientFor(float normalised, float rateScale);
    static float releaseCoefficientFor(float normalised, float rateScale);

    float attackSetting = 0.0f;
    float attackCoefficient = 0.0f;
    float decaySetting = 0.0f;
    float decayCoefficient = 0.0f;
    float sustain = 1.0f;
    float releaseCoefficient = 0.0f;
    float rateScale;  // 176.4 / sample rate: 0.004 at 44,100 Hz
    int state = attack;
    float value = 0.0f;
    float output = 0.0f;
    float releaseRamp = 1.0f;  // fades the release in over its first 1 / rateScale samples (5.67 ms)
};
