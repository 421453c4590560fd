// The voice's free attack/decay envelope: an Adsr with sustain 0 and a fixed release, plus its routing settings.
#pragma once

#include "engine/Adsr.h"

class FreeEnvelope
{
public:
    explicit FreeEnvelope(float sampleRate = 44100.0f);

    // Ticks the envelope with the voice's gate and stores this sample's level (instant-attack rule applied).
    float tick(bool gate)
    {
        envelope.tick(gate);
        value = envelope.levelWithInstantAttack();
        return value;
    }

    Adsr envelope;
    int destination = 2;          // 1 off, 2 filter, 3 osc 1 pitch, 4 osc 2 pitch, 5 pulse width, 6 FM
    float value = 0.0f;           // this sample's level, 0..1
    float amount = 0.0f;          // signed depth, -1..1
    float absoluteAmount = 0.0f;  // |amount|
};
