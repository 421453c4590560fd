// The sound engine: six voices and their allocation, the shared modulation sources, and the
// master chain from cutoff smoothing to master volume.
#pragma once

#include "engine/ChorusSection.h"
#include "engine/DcBlocker.h"
#include "engine/DelaySection.h"
#include "engine/LfoHandler.h"
#include "engine/ReverbSection.h"
#include "engine/VoiceManager.h"
#include "engine/VoiceSettings.h"
#include "envelope/EnvelopeEditor.h"
#include "envelope/UserEnvelope.h"

#include <cstdint>
#include <memory>

class SynthEngine
{
public:
    // Builds every member for the sample rate (44,100 Hz when the rate is not above 0). Allocates:
    // call it where allocation is allowed.
    void initialize(float sampleRate);

    void noteOn(int note, float velocity);
    void noteOff(int note);
    void allNotesOff();
    // -1..1
    void setPitchWheel(float wheel);
    // 1 is mono, 2 to 6 polyphonic.
    void setNumberOfVoices(int count);

    // One output sample pair; both are overwritten.
    void renderSample(float& left, float& right);

    // Sync switch and rate of an LFO from their normalised parameter values, at the given tempo.
    void setLfo1Sync(float syncValue, float rateValue, float bpm);
    void setLfo2Sync(float syncValue, float rateValue, float bpm);

    // Voices run their filter tail again after a setting that restarts it (a new filter type).
    void wakeVoices() noexcept { allVoicesResting = false; }

    // Every voice gets the same setting.
    template <typename Function>
    void forEachVoice(Function&& f)
    {
        for (auto& voice : voiceManager->voices)
            f(voice);
    }

    float sampleRate = 44100.0f;
    float masterVolume = 1.0f;
    float cutoff = 1.0f;  // normalised target, smoothed per sample

    // One-pole smoothing of the cutoff: about 1,000 samples at 44.1 kHz.
    float cutoffSmoothingA = 1000.0f;
    float cutoffSmoothingB = 1.0f / 1001.0f;
    float smoothedCutoff = 0.0f;

    std::unique_ptr<LfoHandler1> lfo1;
    std::unique_ptr<LfoHandler2> lfo2;
    PitchWheelSettings pitchWheel;
    VelocitySettings velocity;
    std::unique_ptr<EnvelopeEditor> envelope;
    UserEnvelopeSettings userEnvelope;

    // Master high-pass on the voice sum.
    DcBlocker masterHighPass;

    // Tiny noise keeps the master chain out of denormal range when the voices are silent.
    std::int32_t denormalSeed = 1;

    std::unique_ptr<DelaySection> delay;
    std::unique_ptr<ChorusSection> chorus;
    std::unique_ptr<ReverbSection> reverb;

    std::unique_ptr<VoiceManager> voiceManager;
    // While every voice rests, a sample skips them all; note handling and wakeVoices clear it.
    bool allVoicesResting = false;

private:
    // Adds every awake voice's sample to both accumulators; true if any voice sounds. Kept out of
    // renderSample so that a sample with every voice resting does not pay for its registers and
    // stack arrays.
    [[gnu::noinline]] bool renderVoices(float& left, float& right);
};
