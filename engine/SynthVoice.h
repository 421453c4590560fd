// One note: three oscillators, ring modulation, bit crusher, crackle, filter section and envelopes.
#pragma once

#include "engine/Adsr.h"
#include "engine/FilterSection.h"
#include "engine/FreeEnvelope.h"
#include "engine/LfoHandler.h"
#include "engine/ModulationRouting.h"
#include "engine/Osc.h"
#include "engine/VoiceSettings.h"
#include "envelope/UserEnvelope.h"

#include <cstdint>
#include <memory>

class SynthVoice
{
public:
    // Portamento modes as the menu numbers them.
    static constexpr int portamentoOff = 1;
    static constexpr int portamentoAuto = 2;
    static constexpr int portamentoOn = 3;

    // After falling silent a voice keeps its filter settling this long, then costs nothing.
    static constexpr int kIdleTailSamples = 2000;

    // The engine sets the shared references before calling this.
    void initialize(float sampleRate);

    // Starts or re-targets a note; velocity 0..1. The flag is kept for callers and has no effect.
    void setNoteOn(int noteNumber, bool unusedFlag, float noteVelocity);

    // Renders one sample, adds it to both accumulators; false when the voice is silent.
    bool process(float* left, float* right, float smoothedCutoff);

    // process in two halves around the filter, so that an engine can run the filters of all voices
    // together: beginSample, then filter->process (filterInput, filterCutoff, resonance) unless the
    // voice rests, then endSample with the filter's output if the voice sounds.
    enum class SampleKind
    {
        resting,  // nothing to do
        tail,     // silent, the filter settles on input 0 and its output is dropped
        sounding
    };
    SampleKind beginSample(float smoothedCutoff);
    void endSample(float filtered, float* left, float* right);
    float filterInput = 0.0f;
    float filterCutoff = 0.0f;

    bool isSilent() const noexcept { return !gate && amplitudeEnvelope->value <= 0.0f; }

    // Shared with the other voices, owned by the engine.
    LfoHandler* lfo1 = nullptr;
    LfoHandler* lfo2 = nullptr;
    const VelocitySettings* velocitySettings = nullptr;
    const PitchWheelSettings* pitchWheel = nullptr;
    UserEnvelopeVoiceState userEnvelope;  // this voice's own; its settings are the engine's

    bool gate = false;
    int note = 60;
    float velocity = 1.0f;
    float resonance = 0.0f;
    float keyFollow = 0.0f;
    float contour = 0.0f;
    float masterTune = 0.0f;  // semitones
    float transpose = 0.0f;   // semitones
    float detuneRandom = 1.0f;
    float detuneAmount = 0.0f;
    float vintageNoise = 0.0f;
    int portamentoMode = 0;
    float portamento = 0.0f;
    int idleCount = 0;
    float osc1Tune = 12.0f;
    float osc2Tune = 12.0f;
    float osc1Fine = 0.0f;
    float osc2Fine = 0.0f;
    float osc1PulseWidth = 0.5f;
    float osc2Fm = 0.0f;
    float ringModulation = 0.0f;
    bool bitCrusherOn = false;
    float bitCrusherLevels = 0.0f;

    float portamentoRatio = 1.0f;  // sample rate / 44,100
    float currentPitch = 42.0f;    // the gliding pitch, semitones

    std::int32_t crackleSeed = 1;
    float crackleLast = 0.0f;
    float crackleSmooth = 0.0f;

    std::unique_ptr<Osc> subOsc;
    std::unique_ptr<Osc> osc1;
    std::unique_ptr<Osc> osc2;
    std::unique_ptr<Adsr> amplitudeEnvelope;
    std::unique_ptr<FreeEnvelope> freeEnvelope;
    std::unique_ptr<FilterSection> filter;

    // This sample's user-envelope output, routed to its destination.
    struct UserEnvelopeSample
    {
        UserEnvelopeSettings* settings = nullptr;
        int destination = UserEnvelopeDestination::off;
        float value = 0.0f;  // curve * amount
        float amount = 0.0f;

        void addTo(VoiceModulation& mod) const;
        float ringModulation() const noexcept { return destination == UserEnvelopeDestination::ringmod ? value : 0.0f; }
        float applyVolume(float out) const;
    };

private:
    // Sets userThisSample.
    void advanceUserEnvelope();
    void keyTriggerLfos();
    void startUserEnvelope();
    // Ticks the filter envelope and sets filterInput and filterCutoff.
    void prepareFilter(float input, float smoothedCutoff, float modulationCutoff);

    UserEnvelopeSample userThisSample;  // from beginSample, for endSample
};
