// Audio-rate oscillator of a voice: frequency from pitch, sync input, waveform selection and gain.
#include "engine/Osc.h"

#include <cmath>

namespace
{
constexpr float fallbackSampleRate = 44100.0f;
constexpr float latestBelowOne = 0.99999994f;  // the largest float below 1

float usableSampleRate(float sampleRate)
{
    return std::isfinite(sampleRate) && sampleRate > 0.0f ? sampleRate : fallbackSampleRate;
}

// A width out of 0..1 is held at the nearer end; one that is not a number plays square.
float usablePulseWidth(float width)
{
    if (width >= 0.0f)
        return width <= 1.0f ? width : 1.0f;
    return width < 0.0f ? 0.0f : 0.5f;
}
}  // namespace

Osc::Osc(float sampleRate, Osc* source)
    : saw(std::make_unique<SawGenerator>(usableSampleRate(sampleRate)))
    , pulse(std::make_unique<PulseGenerator>(usableSampleRate(sampleRate)))
    , triangle(std::make_unique<TriangleGenerator>(usableSampleRate(sampleRate)))
    , sine(std::make_unique<SineGenerator>(usableSampleRate(sampleRate)))
    , noise(std::make_unique<NoiseGenerator>())
    , syncSource(source)
{
}

float Osc::process(float pitch)
{
    // A silent synced oscillator costs nothing; the sync source has none and always runs, since its wraps
    // drive the others.
    if (syncSource != nullptr && !(gain > 0.0f))
        return 0.0f;

    // The negated test also recomputes when either pitch is not a number.
    if (!(pitch == lastPitch))
    {
        lastPitch = pitch;
        const float computed = 880.0f * std::exp2((pitch - 81.0f) / 12.0f);
        // A pitch that is not a number keeps the frequency the oscillator had.
        if (!std::isnan(computed))
            frequency = computed < maxFrequency ? (computed > minFrequency ? computed : minFrequency) : maxFrequency;
    }

    const SyncEvent sync = readSyncEvent();
    float output = 0.0f;
    switch (waveform)
    {
    case waveformSaw: output = saw->process(frequency, fmAmount, fmFrequency, sync); break;
    case waveformPulse:
        output = pulse->process(frequency, fmAmount, fmFrequency, usablePulseWidth(pulseWidth), sync);
        break;
    case waveformTriangle: output = triangle->process(frequency, fmAmount, fmFrequency, sync); break;
    case waveformSine: output = sine->process(frequency, fmAmount, fmFrequency); break;
    case waveformNoise: output = noise->process(); break;
    default: return 0.0f;
    }
    // A pulse generator that is not running must not repeat its last wrap to the oscillators it syncs.
    if (waveform != waveformPulse)
        pulse->wrapped = false;
    return output * gain;
}

SyncEvent Osc::readSyncEvent() const
{
    SyncEvent sync;
    if (syncSource == nullptr || !syncEnabled || !syncSource->pulse->wrapped)
        return sync;
    const PulseGenerator& source = *syncSource->pulse;
    const float sourceInc = source.recordedFrequency * saw->sampleRateInv;
    const float sinceWrap = source.phase / sourceInc;
    // The source's FM or a bad setting can put this outside 0..1 (or make it NaN); the restart formulas need it inside.
    sync.wrapped = true;
    sync.sinceWrap = sinceWrap > 0.0f ? (sinceWrap < latestBelowOne ? sinceWrap : latestBelowOne) : 0.0f;
    return sync;
}

void Osc::resetOsc()
{
    const float phase = syncSource != nullptr ? wrapUnit(startPhase) : 0.0f;
    saw->reset(phase);
    pulse->reset(phase);
    triangle->reset(phase);
    sine->reset(phase);
}

void Osc::setStartPhase(float phase)
{
    startPhase = wrapUnit(phase);
    if (syncSource == nullptr)
        return;
    const float aligned = wrapUnit(startPhase + syncSource->pulse->phase);
    saw->phase = aligned;
    pulse->phase = aligned;
    triangle->phase = aligned;
    sine->phase = aligned;
}
