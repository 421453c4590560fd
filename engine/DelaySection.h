// The stereo delay of the master chain: two delay channels, their times (free or tempo-synced, each
// side optionally halved) and the wet level.
#pragma once

#include "engine/DelayFx.h"

struct DelayTimes
{
    float left;  // fractions of the four-second buffer, 0.01..1
    float right;
};

class DelaySection
{
public:
    static constexpr int kNumNoteLengths = 18;
    static constexpr float kDefaultTempo = 120.0f;

    explicit DelaySection(float sampleRate);

    // Adds the delayed signal to each channel; does nothing (and the lines stand still) while the
    // wet level is not above 0.
    void process(float& left, float& right)
    {
        if (!(wet > 0.0f))
            return;
        const float dryLeft = left;
        const float dryRight = right;
        left += leftDelay.process(&dryLeft) * wet;
        right += rightDelay.process(&dryRight) * wet;
    }

    // Normalised wet level 0..1. Exactly 0 also empties both lines, so that raising it again
    // starts from silence. Values outside 0..1 are limited to it; NaN is ignored.
    void setWet(float amount);

    // Each of these stores its setting and recomputes both delay times.
    void setTimeValue(float normalised);  // 0..1; a note length when synced
    void setSync(bool on);
    void setHalveLeft(bool on);
    void setHalveRight(bool on);
    // Takes a host tempo (beats per minute) strictly between 1 and 1,000 that differs from the
    // current one, and recomputes the times; returns whether it did.
    bool followTempo(float bpm);

    // Both channels alike.
    void setFeedback(float amount)
    {
        leftDelay.setFeedback(amount);
        rightDelay.setFeedback(amount);
    }
    void setTone(float normalised)
    {
        leftDelay.setTone(normalised);
        rightDelay.setTone(normalised);
    }
    void setHighPass(float coefficient)
    {
        leftDelay.setHighPass(coefficient);
        rightDelay.setHighPass(coefficient);
    }

    // The time rule: free times run exponentially from 40 ms to 4 s; synced ones take a note
    // length from the table at the tempo (bpm). Halving applies after either, and both results
    // are limited to 0.01..1 (a NaN result gives 0.01).
    static DelayTimes computeTimes(float timeValue, bool sync, bool halveLeft, bool halveRight, float tempo);
    // The synced note length for a table index 0..17, in the unit that divided by the tempo gives
    // a fraction of the buffer.
    static float noteLength(int index);

    DelayFx leftDelay;
    DelayFx rightDelay;
    float wet = 0.0f;
    float timeValue = 0.5f;
    float tempo = kDefaultTempo;
    bool sync = false;
    bool halveLeft = false;
    bool halveRight = false;

private:
    void updateTimes();
};
