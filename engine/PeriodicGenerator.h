// State and frequency handling shared by the saw, pulse, triangle and sine generators.
#pragma once

#include <cmath>

// A wrap of the sync source's pulse during the current sample.
struct SyncEvent
{
    bool wrapped = false;
    float sinceWrap = 0.0f;  // samples since the wrap, 0 <= sinceWrap < 1
};

// Brings any value, including infinities and NaN, into the unit interval [0, 1).
inline float wrapUnit(float value)
{
    if (value >= 0.0f && value < 1.0f)
        return value;
    value -= std::floor(value);
    return value >= 0.0f && value < 1.0f ? value : 0.0f;
}

struct PeriodicGenerator
{
    static constexpr float twoPi = 6.28318530717958647692f;
    // The fastest rate any generator runs at; with FM it may exceed the 14 kHz pitch limit.
    static constexpr float maxRunningFrequency = 22000.0f;
    static constexpr float fmDepthScale = 10.0f;

    // maxPerSampleRatio: the highest frequency allowed as a fraction of the sample rate; it keeps every increment
    // below a whole cycle per sample at low host rates, where 22 kHz would otherwise be more than that.
    PeriodicGenerator(float sampleRateHz, float maxPerSampleRatio)
        : sampleRate(sampleRateHz)
        , sampleRateInv(1.0f / sampleRateHz)
        , maxFrequency(std::fmin(maxRunningFrequency, maxPerSampleRatio * sampleRateHz))
    {
    }

    float sampleRate;
    float sampleRateInv;
    float maxFrequency;    // Hz
    float phase = 0.0f;    // cycles
    float fmPhase = 0.0f;  // cycles of the internal modulating sine

    // The running frequency in Hz: the oscillator's frequency raised by the internal FM sine.
    float modulatedFrequency(float frequency, float fmAmount, float fmFrequency)
    {
        if (!(fmAmount > 0.0f))
            return frequency;
        fmPhase += fmFrequency * sampleRateInv;
        const float modulated = frequency + fmAmount * fmDepthScale * fmFrequency * (std::sin(twoPi * fmPhase) + 1.0f);
        if (fmPhase > 1.0f)
            fmPhase -= 1.0f;
        // A bad FM frequency (huge, negative, NaN) must not strand the phase where it can never come back.
        if (!(fmPhase >= 0.0f && fmPhase <= 1.0f))
            fmPhase = wrapUnit(fmPhase);
        return modulated;
    }

    // Phase increment in cycles per sample for a running frequency; a frequency that is not positive stops it.
    float increment(float frequency) const
    {
        if (!(frequency > 0.0f))
            return 0.0f;
        return (frequency < maxFrequency ? frequency : maxFrequency) * sampleRateInv;
    }

    void restart(float startPhase)
    {
        phase = startPhase;
        fmPhase = 0.0f;
    }
};
