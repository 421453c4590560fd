// Where LFO 1, LFO 2 and the free attack/decay envelope act: per-voice contributions, the engine
// output (LFO 2 pan and volume) and the LFOs' modulation of each other's rate.
#include "engine/ModulationRouting.h"

#include <cmath>

namespace modulation
{
namespace
{
float unipolar(float bipolar) { return (bipolar + 1.0f) * 0.5f; }

// The pitch and filter codes 1 to 4 and 8 mean the same for both LFOs.
void addLfoShared(int destination, float v, float a, VoiceModulation& out)
{
    switch (destination)
    {
    case Lfo1Destination::filter: out.cutoff += unipolar(v) * a; break;
    case Lfo1Destination::osc1: out.osc1Pitch += v * kPitchRangeSemitones * a; break;
    case Lfo1Destination::osc2: out.osc2Pitch += v * kPitchRangeSemitones * a; break;
    case Lfo1Destination::osc1And2:
        out.osc1Pitch += v * kPitchRangeSemitones * a;
        out.osc2Pitch += v * kPitchRangeSemitones * a;
        break;
    default: break;
    }
}
}  // namespace

void addLfo1(const LfoHandler& lfo1, VoiceModulation& out)
{
    const float v = lfo1.value;
    switch (lfo1.destination)
    {
    case Lfo1Destination::pulseWidth: out.pulseWidth += unipolar(v) * std::fabs(lfo1.amount); break;
    case Lfo1Destination::fm: out.fm += unipolar(v) * std::fabs(lfo1.amount); break;
    default: addLfoShared(lfo1.destination, v, lfo1.amount, out); break;
    }
}

void addLfo2(const LfoHandler& lfo2, VoiceModulation& out)
{
    addLfoShared(lfo2.destination, lfo2.value, lfo2.amount, out);
}

void addFreeEnvelope(const FreeEnvelope& envelope, VoiceModulation& out)
{
    const float v = envelope.value;
    const float a = envelope.amount;
    switch (envelope.destination)
    {
    case FreeEnvelopeDestination::filter: out.cutoff += v * a; break;
    case FreeEnvelopeDestination::osc1: out.osc1Pitch += v * kPitchRangeSemitones * a; break;
    case FreeEnvelopeDestination::osc2: out.osc2Pitch += v * kPitchRangeSemitones * a; break;
    case FreeEnvelopeDestination::pulseWidth: out.pulseWidth += v * std::fabs(a); break;
    case FreeEnvelopeDestination::fm: out.fm += v * std::fabs(a); break;
    default: break;
    }
}

void applyLfo2ToOutput(const LfoHandler& lfo2, float& left, float& right)
{
    const float v = lfo2.value;
    if (lfo2.destination == Lfo2Destination::volume)
    {
        const float gain = 1.0f - unipolar(v) * lfo2.amount;
        left *= gain;
        right *= gain;
    }
    else if (lfo2.destination == Lfo2Destination::pan)
    {
        const float p = unipolar(v);
        const float depth = std::fabs(lfo2.amount);
        left *= 1.0f - p * depth;
        right *= 1.0f - (1.0f - p) * depth;
    }
}

float modulatedRate(const LfoHandler& target, const LfoHandler& modulator, int rateDestination)
{
    float m = 0.0f;
    if (modulator.destination == rateDestination)
    {
        const float depth = modulator.amount * unipolar(modulator.value);
        m = depth * depth * depth;
    }
    // Speeding up reaches 101 times the base rate; slowing down at most 1 %.
    return m >= 0.0f ? target.baseRate * (1.0f + 100.0f * m) : target.baseRate * (1.0f + 0.01f * m);
}

void advanceLfos(LfoHandler& lfo1, LfoHandler& lfo2)
{
    lfo1.lfo.setRate(modulatedRate(lfo1, lfo2, Lfo2Destination::lfo1Rate));
    lfo1.process();
    lfo2.lfo.setRate(modulatedRate(lfo2, lfo1, Lfo1Destination::lfo2Rate));
    lfo2.process();
}
}  // namespace modulation
