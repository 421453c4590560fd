// The stereo delay of the master chain: two delay channels, their times (free or tempo-synced, each
// side optionally halved) and the wet level.
#include "engine/DelaySection.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float kLn20 = 2.9957323f;
// Tempos the delay follows; outside them the host's figure is taken as missing or broken.
constexpr float kSlowestTempo = 1.0f;
constexpr float kFastestTempo = 1000.0f;
// Six plain lengths, then the same lengthened by half, then shortened to two thirds (the editor
// shows the lengthened ones with "T" and the shortened ones with ".").
constexpr float kPlain[6] = {7.5f, 15.0f, 30.0f, 60.0f, 120.0f, 240.0f};
constexpr float kLengthened = 1.5f;
// Slightly short of 2/3, which gives the stored entries 4.9999995, 9.999999, ... exactly, so
// existing sounds keep their times.
constexpr float kShortened = 0.6666666f;

float limitTime(float time)
{
    if (time > DelayFx::kMaximumTime)
        return DelayFx::kMaximumTime;
    return time >= DelayFx::kMinimumTime ? time : DelayFx::kMinimumTime;  // also for NaN
}
}  // namespace

DelaySection::DelaySection(float sampleRate) : leftDelay(sampleRate), rightDelay(sampleRate) {}

float DelaySection::noteLength(int index)
{
    const int clamped = std::clamp(index, 0, kNumNoteLengths - 1);
    const float plain = kPlain[clamped % 6];
    if (clamped < 6)
        return plain;
    return clamped < 12 ? plain * kLengthened : plain * kShortened;
}

DelayTimes DelaySection::computeTimes(float value, bool synced, bool halfLeft, bool halfRight, float bpm)
{
    float d = 0.0f;
    if (synced)
    {
        const float scaled = value * 17.0f;
        // The truncated index 0..17 picks a note length; anything else (NaN included) uses the
        // value itself.
        d = (scaled > -1.0f && scaled < static_cast<float>(kNumNoteLengths)) ? noteLength(static_cast<int>(scaled))
                                                                             : value;
        d /= bpm;
    }
    else
    {
        d = (std::exp(value * kLn20) - 1.0f) / 19.0f * 0.99f + 0.01f;
    }
    return {limitTime(halfLeft ? d * 0.5f : d), limitTime(halfRight ? d * 0.5f : d)};
}

void DelaySection::updateTimes()
{
    const DelayTimes times = computeTimes(timeValue, sync, halveLeft, halveRight, tempo);
    leftDelay.setTime(times.left);
    rightDelay.setTime(times.right);
}

void DelaySection::setWet(float amount)
{
    if (std::isnan(amount))
        return;
    wet = std::clamp(amount, 0.0f, 1.0f);
    if (amount == 0.0f)
    {
        leftDelay.clear();
        rightDelay.clear();
    }
}

void DelaySection::setTimeValue(float normalised)
{
    timeValue = normalised;
    updateTimes();
}

void DelaySection::setSync(bool on)
{
    sync = on;
    updateTimes();
}

void DelaySection::setHalveLeft(bool on)
{
    halveLeft = on;
    updateTimes();
}

void DelaySection::setHalveRight(bool on)
{
    halveRight = on;
    updateTimes();
}

bool DelaySection::followTempo(float bpm)
{
    if (!(bpm > kSlowestTempo && bpm < kFastestTempo) || bpm == tempo)
        return false;
    tempo = bpm;
    updateTimes();
    return true;
}
