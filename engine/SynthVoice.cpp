// Per-sample rendering of one note, in the order the sound depends on: modulation, pitch,
// oscillators, ring modulation, bit crusher, crackle, filter, amplifier.
#include "engine/SynthVoice.h"

#include "engine/DspMath.h"
#include "engine/ModulationRouting.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

void SynthVoice::initialize(float sampleRate)
{
    subOsc = std::make_unique<Osc>(sampleRate, nullptr);
    subOsc->waveform = Osc::waveformPulse;
    osc1 = std::make_unique<Osc>(sampleRate, subOsc.get());
    osc2 = std::make_unique<Osc>(sampleRate, subOsc.get());
    amplitudeEnvelope = std::make_unique<Adsr>(sampleRate);
    freeEnvelope = std::make_unique<FreeEnvelope>(sampleRate);
    filter = std::make_unique<FilterSection>(sampleRate);
    portamentoRatio = sampleRate / 44100.0f;
    currentPitch = 42.0f;
}

void SynthVoice::UserEnvelopeSample::addTo(VoiceModulation& mod) const
{
    // Full amount spans +-24 semitones around the curve's middle level.
    const float semitones = 24.0f * (2.0f * value - amount);
    switch (destination)
    {
    case UserEnvelopeDestination::filter: mod.cutoff += value; break;
    case UserEnvelopeDestination::osc1: mod.osc1Pitch += semitones; break;
    case UserEnvelopeDestination::osc2: mod.osc2Pitch += semitones; break;
    case UserEnvelopeDestination::osc1And2:
        mod.osc1Pitch += semitones;
        mod.osc2Pitch += semitones;
        break;
    case UserEnvelopeDestination::fm: mod.fm += value; break;
    default: break;
    }
}

float SynthVoice::UserEnvelopeSample::applyVolume(float out) const
{
    if (destination != UserEnvelopeDestination::volume || settings == nullptr)
        return out;
    return out * settings->followVolume(value);
}

void SynthVoice::keyTriggerLfos()
{
    lfo1->restartIfKeyTriggered();
    lfo2->restartIfKeyTriggered();
}

void SynthVoice::startUserEnvelope() { userEnvelope.resetPhase(); }

void SynthVoice::advanceUserEnvelope()
{
    // Filled in place: a returned copy is read back whole right after its fields were written one by
    // one, which stalls the processor on every sample.
    auto& sample = userThisSample;
    sample = UserEnvelopeSample();
    if (userEnvelope.settings == nullptr)
        return;
    sample.value = userEnvelope.process();
    sample.settings = userEnvelope.settings;
    sample.destination = userEnvelope.settings->destination;
    sample.amount = userEnvelope.settings->amount;
}

void SynthVoice::setNoteOn(int noteNumber, bool, float noteVelocity)
{
    const auto startEnvelopesAndLfos = [this, noteVelocity]
    {
        filter->envelope.restart();
        amplitudeEnvelope->restart();
        freeEnvelope->envelope.restart();
        keyTriggerLfos();
        velocity = noteVelocity;
        startUserEnvelope();
    };

    if (portamentoMode == portamentoOff)
    {
        amplitudeEnvelope->restart();
        filter->envelope.reset();
        freeEnvelope->envelope.reset();
        currentPitch = (float)noteNumber;
        keyTriggerLfos();
        velocity = noteVelocity;
        startUserEnvelope();
    }
    else if (portamentoMode == portamentoAuto && !gate)
    {
        currentPitch = (float)noteNumber;
        startEnvelopesAndLfos();
    }
    else if (portamentoMode == portamentoOn && !gate)
    {
        // The pitch glides from wherever the last note left it.
        startEnvelopesAndLfos();
    }

    if (isSilent())
    {
        subOsc->resetOsc();
        osc1->resetOsc();
        osc2->resetOsc();
        amplitudeEnvelope->reset();
        filter->envelope.reset();
        freeEnvelope->envelope.reset();
        keyTriggerLfos();
        velocity = noteVelocity;
        startUserEnvelope();
    }

    gate = true;
    note = noteNumber;
    idleCount = 0;
    detuneRandom = ((float)std::rand() * dsp::kTwoToMinus31 - 0.5f) * 0.005f;
}

void SynthVoice::prepareFilter(float input, float smoothedCutoff, float modulationCutoff)
{
    CutoffInputs in;
    in.smoothedCutoff = smoothedCutoff;
    in.velocity = velocity;
    in.velocityCutoff = velocitySettings->cutoff;
    in.velocityContour = velocitySettings->contour;
    in.pitchWheelCutoffAmount = pitchWheel->cutoffAmount;
    in.wheel = pitchWheel->wheel;
    in.note = note;
    in.keyFollow = keyFollow;
    in.contour = contour;
    in.filterEnvelope = filter->tickEnvelope(gate);
    in.modulation = modulationCutoff;
    filterInput = input;
    filterCutoff = FilterSection::cutoff(in);
}

bool SynthVoice::process(float* left, float* right, float smoothedCutoff)
{
    const auto kind = beginSample(smoothedCutoff);
    if (kind == SampleKind::resting)
        return false;
    const float filtered = filter->process(filterInput, filterCutoff, resonance);
    if (kind == SampleKind::tail)
        return false;
    endSample(filtered, left, right);
    return true;
}

SynthVoice::SampleKind SynthVoice::beginSample(float smoothedCutoff)
{
    if (isSilent())
    {
        if (idleCount == 0)
            filter->resetForIdle();
        if (idleCount++ < kIdleTailSamples)
        {
            // Hold the envelopes and key-triggered LFOs at their start while the filter settles.
            filter->envelope.restart();
            freeEnvelope->envelope.restart();
            keyTriggerLfos();
            prepareFilter(0.0f, smoothedCutoff + 0.1f, 0.0f);
            return SampleKind::tail;
        }
        idleCount = kIdleTailSamples;  // no overflow however long the voice rests
        return SampleKind::resting;
    }

    advanceUserEnvelope();
    const UserEnvelopeSample& user = userThisSample;

    freeEnvelope->tick(gate);

    // Portamento: a fixed step in semitones per sample, towards the note.
    const auto target = (float)note;
    if (portamentoMode > 0)
    {
        const float base = 0.11f - 0.1f * portamento;
        const float step = (base * base * base * base * base * base + 1e-8f) / portamentoRatio * 10000.0f;
        if (currentPitch < target)
            currentPitch = std::min(currentPitch + step, target);
        else if (currentPitch > target)
            currentPitch = std::max(currentPitch - step, target);
    }
    else
    {
        currentPitch = target;
    }

    const float pitch = (1.0f + detuneRandom * detuneAmount) *
                        (pitchWheel->pitchAmount * pitchWheel->wheel * 12.0f + masterTune + transpose + currentPitch);

    VoiceModulation mod;
    modulation::addLfo1(*lfo1, mod);
    modulation::addLfo2(*lfo2, mod);
    modulation::addFreeEnvelope(*freeEnvelope, mod);
    user.addTo(mod);

    osc1->pulseWidth = std::min(1.0f, osc1PulseWidth + mod.pulseWidth);
    osc2->fmAmount = osc2Fm + mod.fm;
    osc2->fmFrequency = osc1->frequency;

    const float sub = subOsc->process(pitch - 24.0f);
    const float o1 = osc1->process(pitch + osc1Tune + osc1Fine + mod.osc1Pitch);
    const float o2 = osc2->process(pitch + osc2Tune + osc2Fine + mod.osc2Pitch);

    const float ring = std::min(1.0f, ringModulation + user.ringModulation());
    float mix = 8.0f * o1 * o2 * ring + (ring - 1.0f) * o1 + (ring - 1.0f) * o2;

    if (bitCrusherOn)
        mix = std::trunc(mix * bitCrusherLevels) / bitCrusherLevels;

    mix += sub;

    if (vintageNoise > 0.0f)
    {
        // Sparse crackle: an impulse in about one sample of twenty, each halving away.
        crackleSeed = dsp::advanceNoiseSeed(crackleSeed);
        float n = dsp::bipolarNoise(crackleSeed);
        if (std::fabs(n) < 0.95f)
            n = crackleLast * 0.5f;
        crackleLast = n;
        crackleSmooth = (crackleSmooth * 3.0f + n) * 0.25f;
        mix += vintageNoise * crackleSmooth * 0.2f;
    }

    prepareFilter(mix, smoothedCutoff, mod.cutoff);
    return SampleKind::sounding;
}

void SynthVoice::endSample(float filtered, float* left, float* right)
{
    const float amplitude = amplitudeEnvelope->tick(gate);

    float out = (1.0f - (1.0f - velocity) * velocitySettings->volume) * amplitude * filtered;
    out = userThisSample.applyVolume(out);

    *left += out;
    *right += out;
}
