// Engine construction, note handling and the per-sample master chain.
#include "engine/SynthEngine.h"

#include "engine/DspMath.h"
#include "engine/FilterBank.h"
#include "engine/ModulationRouting.h"

#include <cmath>

namespace
{
constexpr float kDenormalNoiseLevel = 1.0e-8f;
}  // namespace

void SynthEngine::initialize(float rate)
{
    sampleRate = rate > 0.0f && std::isfinite(rate) ? rate : 44100.0f;
    masterVolume = 1.0f;
    cutoff = 1.0f;

    cutoffSmoothingA = sampleRate * 1000.0f / 44100.0f;
    cutoffSmoothingB = 1.0f / (cutoffSmoothingA + 1.0f);
    smoothedCutoff = 0.0f;

    envelope = std::make_unique<EnvelopeEditor>(sampleRate);
    lfo1 = std::make_unique<LfoHandler1>(sampleRate);
    lfo2 = std::make_unique<LfoHandler2>(sampleRate);
    pitchWheel = {};
    velocity = {};
    userEnvelope = {};
    userEnvelope.envelope = envelope.get();

    masterHighPass = DcBlocker();
    denormalSeed = 1;
    allVoicesResting = false;
    delay = std::make_unique<DelaySection>(sampleRate);
    chorus = std::make_unique<ChorusSection>(sampleRate);
    reverb = std::make_unique<ReverbSection>(sampleRate);

    voiceManager = std::make_unique<VoiceManager>();
    for (auto& voice : voiceManager->voices)
    {
        voice.lfo1 = lfo1.get();
        voice.lfo2 = lfo2.get();
        voice.velocitySettings = &velocity;
        voice.pitchWheel = &pitchWheel;
        voice.userEnvelope.settings = &userEnvelope;
        voice.initialize(sampleRate);
    }
}

void SynthEngine::noteOn(int note, float noteVelocity)
{
    allVoicesResting = false;
    voiceManager->noteOn(note, noteVelocity);
}

void SynthEngine::noteOff(int note)
{
    allVoicesResting = false;  // a mono voice may return to a held key
    voiceManager->noteOff(note);
}
void SynthEngine::allNotesOff() { voiceManager->allNotesOff(); }
void SynthEngine::setPitchWheel(float wheel) { pitchWheel.wheel = wheel; }
void SynthEngine::setNumberOfVoices(int count) { voiceManager->setNumberOfVoices(count); }

void SynthEngine::setLfo1Sync(float syncValue, float rateValue, float bpm) { lfo1->setSync(syncValue, rateValue, bpm); }
void SynthEngine::setLfo2Sync(float syncValue, float rateValue, float bpm) { lfo2->setSync(syncValue, rateValue, bpm); }

bool SynthEngine::renderVoices(float& left, float& right)
{
    // Every voice up to its filter, then all filters together, then every voice's amplifier, each
    // in voice order: the filters are the slow part, and side by side they overlap.
    constexpr int kVoices = VoiceManager::kNumVoices;
    SynthVoice* running[kVoices] = {};
    FilterSection* sections[kVoices] = {};
    float inputs[kVoices] = {}, cutoffs[kVoices] = {}, resonances[kVoices] = {}, outputs[kVoices] = {};
    bool sounding[kVoices] = {};
    int count = 0;
    for (auto& voice : voiceManager->voices)
    {
        // A voice resting after its tail has nothing to do until its next note.
        if (voice.idleCount >= SynthVoice::kIdleTailSamples && voice.isSilent())
            continue;
        const auto kind = voice.beginSample(smoothedCutoff);
        if (kind == SynthVoice::SampleKind::resting)
            continue;
        running[count] = &voice;
        sections[count] = voice.filter.get();
        inputs[count] = voice.filterInput;
        cutoffs[count] = voice.filterCutoff;
        resonances[count] = voice.resonance;
        sounding[count] = kind == SynthVoice::SampleKind::sounding;
        ++count;
    }
    allVoicesResting = count == 0;

    FilterBank::process(sections, count, inputs, cutoffs, resonances, outputs);

    bool anySounding = false;
    for (int i = 0; i < count; ++i)
    {
        if (!sounding[i])
            continue;
        running[i]->endSample(outputs[i], &left, &right);
        anySounding = true;
    }
    return anySounding;
}

void SynthEngine::renderSample(float& left, float& right)
{
    denormalSeed = dsp::advanceNoiseSeed(denormalSeed);
    left = right = dsp::bipolarNoise(denormalSeed) * kDenormalNoiseLevel;

    smoothedCutoff = (cutoffSmoothingA * smoothedCutoff + cutoff) * cutoffSmoothingB;

    const bool anySounding = !allVoicesResting && renderVoices(left, right);

    left = right = masterHighPass.process(left);

    // While nothing sounds the LFOs stand still and resume where they stopped.
    if (anySounding)
    {
        modulation::advanceLfos(*lfo1, *lfo2);
        modulation::applyLfo2ToOutput(*lfo2, left, right);
    }

    left *= masterVolume;
    right *= masterVolume;

    delay->process(left, right);
    chorus->process(left, right);
    reverb->process(left, right);
}
