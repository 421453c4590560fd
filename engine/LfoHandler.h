// An LFO with its waveform, depth, destination, tempo sync and key trigger; the engine owns two.
#pragma once

#include "engine/Lfo.h"

class LfoHandler
{
public:
    explicit LfoHandler(float sampleRate);
    virtual ~LfoHandler() = default;

    // Advances the LFO by one sample; stores and returns its value (-1..1).
    virtual float process();

    // Free-running rate of a normalised rate value: (e^(v * 3 * ln 20 + 0.2) - 1) / 19 Hz,
    // about 0.0117 Hz at 0 and 514 Hz at 1.
    static float freeRateHz(float rateValue);

    // Rate parameter change (normalised value): the synced or free rate becomes the base rate.
    void setRateFromParameter(float rateValue, float bpm);

    // Sync parameter change: sync on for a value above 0, then the base rate follows from the rate
    // value as in setRateFromParameter. The engine's setLfo1Sync / setLfo2Sync call this.
    void setSync(float syncValue, float rateValue, float bpm);

    // Base rate in Hz without modulation; also sets the LFO's increment.
    void setBaseRate(float rateHz);

    // Note-on (and the silent voice's tail): back to the start phase with a fresh sample-and-hold
    // value, if key trigger is on.
    void restartIfKeyTriggered();

    // Once per block while the host plays: a synced, free-running LFO is put where it would be had it
    // run since the host's position 0 (in quarter notes). Without a positive tempo nothing changes.
    void rephaseToHost(double ppqPosition, double bpm);

    Lfo lfo;
    int waveform = Lfo::sine;  // 0 sine, 1 triangle, 2 saw, 3 square, 4 sample and hold, other noise
    bool keyTrigger = false;
    float baseRate = 1.0f;    // Hz, before modulation
    float startPhase = 0.0f;  // 0..1
    float value = 0.0f;       // -1..1
    float amount = 1.0f;      // signed depth, -1..1
    float absoluteAmount = 0.0f;
    bool sync = false;
    int destination = 2;
};

// The engine's LFO 1 and LFO 2: distinct types so that each voice's references say which is which.
class LfoHandler1 : public LfoHandler
{
public:
    using LfoHandler::LfoHandler;
};

class LfoHandler2 : public LfoHandler
{
public:
    using LfoHandler::LfoHandler;
};
