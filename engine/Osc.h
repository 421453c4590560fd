// Audio-rate oscillator of a voice: five generators (saw, pulse, triangle, sine, noise), hard sync and FM.
#pragma once

#include "engine/NoiseGenerator.h"
#include "engine/PulseGenerator.h"
#include "engine/SawGenerator.h"
#include "engine/SineGenerator.h"
#include "engine/TriangleGenerator.h"

#include <memory>

class Osc
{
public:
    static constexpr int waveformSaw = 0;
    static constexpr int waveformPulse = 1;
    static constexpr int waveformTriangle = 2;
    static constexpr int waveformSine = 3;
    static constexpr int waveformNoise = 4;

    static constexpr float minFrequency = 1.0f;      // Hz
    static constexpr float maxFrequency = 14000.0f;  // Hz

    // sampleRate in Hz (a rate that is not positive and finite falls back to 44,100); syncSource may be null,
    // is not owned, and must be processed before this oscillator in every sample.
    Osc(float sampleRate, Osc* syncSource);

    // One output sample for a pitch in semitones on the MIDI note scale (69 is 440 Hz), fractions allowed.
    float process(float pitch);

    // Restarts the periodic generators: at the start phase if the oscillator is synced, else at 0.
    void resetOsc();

    // Stores the start phase (cycles, wrapped into 0..1) and, for a synced oscillator, moves its generators
    // there at once, relative to the sync source's current pulse phase.
    void setStartPhase(float phase);

    std::unique_ptr<SawGenerator> saw;
    std::unique_ptr<PulseGenerator> pulse;
    std::unique_ptr<TriangleGenerator> triangle;
    std::unique_ptr<SineGenerator> sine;
    std::unique_ptr<NoiseGenerator> noise;

    Osc* syncSource;

    // Settings the owner writes before process.
    float gain = 1.0f;
    bool syncEnabled = false;
    float pulseWidth = 0.5f;   // 0..1
    float fmAmount = 0.0f;     // depth; 0 or less turns FM off
    float fmFrequency = 0.0f;  // Hz, of the internal modulating sine
    float startPhase = 0.0f;   // cycles; write it through setStartPhase
    int waveform = waveformSaw;

    float lastPitch = -1.0f;   // semitones; -1 so that the first call computes the frequency
    float frequency = 440.0f;  // Hz, from the last pitch, within minFrequency..maxFrequency

private:
    SyncEvent readSyncEvent() const;
};
