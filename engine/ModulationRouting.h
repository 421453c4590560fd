// Where LFO 1, LFO 2 and the free attack/decay envelope act: per-voice contributions, the engine
// output (LFO 2 pan and volume) and the LFOs' modulation of each other's rate.
#pragma once

#include "engine/FreeEnvelope.h"
#include "engine/LfoHandler.h"

// Destination codes as the menus number them.
struct Lfo1Destination
{
    enum
    {
        off = 1,
        filter = 2,
        osc1 = 3,
        osc2 = 4,
        pulseWidth = 5,
        fm = 6,
        lfo2Rate = 7,
        osc1And2 = 8
    };
};

struct Lfo2Destination
{
    enum
    {
        off = 1,
        filter = 2,
        osc1 = 3,
        osc2 = 4,
        pan = 5,
        volume = 6,
        lfo1Rate = 7,
        osc1And2 = 8
    };
};

struct FreeEnvelopeDestination
{
    enum
    {
        off = 1,
        filter = 2,
        osc1 = 3,
        osc2 = 4,
        pulseWidth = 5,
        fm = 6
    };
};

// One voice's modulation for one sample; the voice clears it, lets each source add to it, then
// applies it.
struct VoiceModulation
{
    float cutoff = 0.0f;      // added to the normalised cutoff sum (before squaring)
    float osc1Pitch = 0.0f;   // semitones
    float osc2Pitch = 0.0f;   // semitones
    float pulseWidth = 0.0f;  // added to oscillator 1's pulse width
    float fm = 0.0f;          // added to oscillator 2's FM amount
};

namespace modulation
{
constexpr float kPitchRangeSemitones = 48.0f;

void addLfo1(const LfoHandler& lfo1, VoiceModulation& out);
void addLfo2(const LfoHandler& lfo2, VoiceModulation& out);
// Uses the envelope's stored value, so tick it first.
void addFreeEnvelope(const FreeEnvelope& envelope, VoiceModulation& out);

// LFO 2's pan and volume destinations on the engine's summed output.
void applyLfo2ToOutput(const LfoHandler& lfo2, float& left, float& right);

// The rate of `target` under the rate modulation of `modulator` (active when the modulator's
// destination is 7): up to 101 times faster for a positive depth, at most 1 % slower for a negative one.
float modulatedRate(const LfoHandler& target, const LfoHandler& modulator, int rateDestination);

// The engine's per-sample LFO update (only while a voice sounds): LFO 1 with LFO 2's rate modulation,
// then LFO 2 with the rate modulation of LFO 1's value just computed.
void advanceLfos(LfoHandler& lfo1, LfoHandler& lfo2);
}  // namespace modulation
