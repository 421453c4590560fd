// setParameter: store the value in the program, then convert it into the engine's settings.
#include "processor/PluginProcessor.h"

#include "engine/SynthEngine.h"

#include <cmath>

namespace
{
namespace P = ParameterIndex;

// (20^x - 1) / 19 and (8^x - 1) / 7: 0 at 0, 1 at 1, exponential in between.
float e20(float x) { return (std::exp(x * 2.9957323f) - 1.0f) / 19.0f; }
float e8(float x) { return (std::exp(x * 2.0794415f) - 1.0f) / 7.0f; }
float bipolar(float v) { return (v - 0.5f) * 2.0f; }
float cubic(float v)
{
    const float b = bipolar(v);
    return b * b * b;
}

// Integer part; NaN and huge values (from automation gone wrong) map to a value every caller
// treats as out of range instead of overflowing the conversion.
int truncated(float x) { return std::isfinite(x) && std::fabs(x) < 1.0e6f ? (int)x : -1000000; }

// The step 1..n nearest to v. Values outside 0..1 give steps outside 1..n.
int step(float v, int n) { return truncated(std::floor(v * (float)(n - 1) + 1.0f + 0.5f)); }

bool inRange(int k, int first, int last) { return k >= first && k <= last; }

// The conversions see at most this range. Values a preset or automation may carry (-1, 2) still
// convert unchanged; wilder ones (1e30, NaN) would overflow the exponential curves into inf or NaN,
// which no later valid setting could wash out of the filters' and effects' state.
float sanitize(float v) { return std::isnan(v) ? 0.0f : juce::jlimit(-1.0f, 2.0f, v); }
}  // namespace

void PluginProcessor::setParameter(int index, float value)
{
    if (!ParameterTable::isValidIndex(index))
        return;

    if (ParameterTable::isSharedByAllPrograms(index))
        for (auto& program : programs)
            program.values[(size_t)index] = value;
    else
        programs[(size_t)currentProgram].values[(size_t)index] = value;

    auto& count = changeCounts[(size_t)index];
    count = juce::jmin(count + 1, 100);

    applyParameter(index, sanitize(value));

    lastTouchedParameter = index;
    sendChangeMessage();
}

void PluginProcessor::applyParameter(int index, float v)
{
    auto& e = *engine;
    const auto voices = [&e](auto&& f) { e.forEachVoice(f); };

    switch (index)
    {
    case P::volume: e.masterVolume = e20(2.0f * v); break;
    case P::filtertype:
    {
        const int k = step(v, 12);
        voices(
            [k](SynthVoice& s)
            {
                s.filter->type = k;
                s.idleCount = 0;
            });
        e.wakeVoices();
        break;
    }
    case P::cutoff: e.cutoff = e8(v); break;
    case P::resonance: voices([v](SynthVoice& s) { s.resonance = v; }); break;
    case P::keyfollow: voices([v](SynthVoice& s) { s.keyFollow = v * v; }); break;
    case P::filtercontour: voices([v](SynthVoice& s) { s.contour = cubic(v); }); break;
    case P::filterattack: voices([v](SynthVoice& s) { s.filter->envelope.setAttack(v); }); break;
    case P::filterdecay: voices([v](SynthVoice& s) { s.filter->envelope.setDecay(v); }); break;
    case P::filtersustain: voices([v](SynthVoice& s) { s.filter->envelope.sustain = e20(v); }); break;
    case P::filterrelease: voices([v](SynthVoice& s) { s.filter->envelope.setRelease(v); }); break;
    case P::ampattack: voices([v](SynthVoice& s) { s.amplitudeEnvelope->setAttack(v); }); break;
    case P::ampdecay: voices([v](SynthVoice& s) { s.amplitudeEnvelope->setDecay(v); }); break;
    case P::ampsustain: voices([v](SynthVoice& s) { s.amplitudeEnvelope->sustain = v; }); break;
    case P::amprelease: voices([v](SynthVoice& s) { s.amplitudeEnvelope->setRelease(v); }); break;
    case P::osc1volume: voices([v](SynthVoice& s) { s.osc1->gain = e20(v); }); break;
    case P::osc2volume: voices([v](SynthVoice& s) { s.osc2->gain = e20(v); }); break;
    case P::osc3volume: voices([v](SynthVoice& s) { s.subOsc->gain = e20(v); }); break;
    case P::oscmastertune: voices([v](SynthVoice& s) { s.masterTune = bipolar(v); }); break;
    case P::osc1tune: voices([v](SynthVoice& s) { s.osc1Tune = (float)truncated(v * 48.0f - 24.0f); }); break;
    case P::osc2tune: voices([v](SynthVoice& s) { s.osc2Tune = (float)truncated(v * 48.0f - 24.0f); }); break;
    case P::osc1finetune: voices([v](SynthVoice& s) { s.osc1Fine = bipolar(v); }); break;
    case P::osc2finetune: voices([v](SynthVoice& s) { s.osc2Fine = bipolar(v); }); break;
    case P::osc1waveform:
    {
        const int k = step(v, 3);
        const int waveform = k == 2 ? Osc::waveformPulse : (k == 3 ? Osc::waveformNoise : Osc::waveformSaw);
        voices([waveform](SynthVoice& s) { s.osc1->waveform = waveform; });
        break;
    }
    case P::osc2waveform:
    {
        const int k = step(v, 5);
        const int waveform = inRange(k, 2, 5) ? k - 1 : Osc::waveformSaw;
        voices([waveform](SynthVoice& s) { s.osc2->waveform = waveform; });
        break;
    }
    case P::oscsync: voices([v](SynthVoice& s) { s.osc1->syncEnabled = s.osc2->syncEnabled = v > 0.0f; }); break;
    case P::lfo1waveform:
    case P::lfo2waveform:
    {
        const int w = truncated(v * 5.000001f);
        LfoHandler& lfo = index == P::lfo1waveform ? static_cast<LfoHandler&>(*e.lfo1) : *e.lfo2;
        if (inRange(w, 0, 5))
            lfo.waveform = w;
        break;
    }
    case P::lfo1rate: e.lfo1->setRateFromParameter(v, lastBpm); break;
    case P::lfo2rate: e.lfo2->setRateFromParameter(v, lastBpm); break;
    case P::lfo1amount:
        e.lfo1->amount = cubic(v);
        e.lfo1->absoluteAmount = std::fabs(e.lfo1->amount);
        break;
    case P::lfo2amount:
        e.lfo2->amount = cubic(v);
        e.lfo2->absoluteAmount = std::fabs(e.lfo2->amount);
        break;
    case P::lfo1destination:
        if (const int k = step(v, 8); inRange(k, 1, 8))
            e.lfo1->destination = k;
        break;
    case P::lfo2destination:
        if (const int k = step(v, 8); inRange(k, 1, 8))
            e.lfo2->destination = k;
        break;
    case P::lfo1phase: e.lfo1->startPhase = v; break;
    case P::lfo2phase: e.lfo2->startPhase = v; break;
    case P::osc2fm: voices([v](SynthVoice& s) { s.osc2Fm = e20(v); }); break;
    case P::osc2phase: voices([v](SynthVoice& s) { s.osc2->setStartPhase(v); }); break;
    case P::osc1pw: voices([v](SynthVoice& s) { s.osc1PulseWidth = v; }); break;
    case P::osc1phase: voices([v](SynthVoice& s) { s.osc1->setStartPhase(v); }); break;
    case P::transpose:
    {
        const int i = truncated(v * 3.00001f);
        const float semitones = inRange(i, 0, 3) ? (float)(i * 12 - 12) : 0.0f;
        voices([semitones](SynthVoice& s) { s.transpose = semitones; });
        break;
    }
    case P::freeadattack: voices([v](SynthVoice& s) { s.freeEnvelope->envelope.setAttack(v); }); break;
    case P::freeaddecay: voices([v](SynthVoice& s) { s.freeEnvelope->envelope.setDecay(v); }); break;
    case P::freeadamount:
        voices(
            [v](SynthVoice& s)
            {
                s.freeEnvelope->amount = cubic(v);
                s.freeEnvelope->absoluteAmount = std::fabs(s.freeEnvelope->amount);
            });
        break;
    case P::freeaddestination:
        if (const int k = step(v, 6); inRange(k, 1, 6))
            voices([k](SynthVoice& s) { s.freeEnvelope->destination = k; });
        break;
    case P::lfo1sync: e.setLfo1Sync(v, getParameter(P::lfo1rate), lastBpm); break;
    case P::lfo1keytrigger: e.lfo1->keyTrigger = v > 0.0f; break;
    case P::lfo2sync: e.setLfo2Sync(v, getParameter(P::lfo2rate), lastBpm); break;
    case P::lfo2keytrigger: e.lfo2->keyTrigger = v > 0.0f; break;
    case P::portamento: voices([v](SynthVoice& s) { s.portamento = v; }); break;
    case P::portamentomode:
    {
        const int k = step(v, 3);
        voices([k](SynthVoice& s) { s.portamentoMode = k; });
        break;
    }
    case P::velocityvolume: e.velocity.volume = v; break;
    case P::velocitycontour: e.velocity.contour = e8(v); break;
    case P::velocitycutoff: e.velocity.cutoff = e8(v); break;
    case P::pitchwheelcutoff: e.pitchWheel.cutoffAmount = v; break;
    case P::pitchwheelpitch: e.pitchWheel.pitchAmount = v; break;
    case P::ringmodulation: voices([v](SynthVoice& s) { s.ringModulation = v; }); break;
    case P::oscbitcrusher:
    {
        const bool on = v != 1.0f;
        // A broken value keeps the finest quantisation rather than dividing by nonsense.
        const int raw = truncated(std::pow(v, 8.0f) * 65535.0f + 1.0f);
        const float levels = inRange(raw, 1, 65536) ? (float)raw : 65536.0f;
        voices(
            [on, levels](SynthVoice& s)
            {
                s.bitCrusherOn = on;
                s.bitCrusherLevels = levels;
            });
        break;
    }
    // Outside 0..1 the curve would leave the one-pole's stable range.
    case P::highpass: e.masterHighPass.setCoefficient(juce::jlimit(0.0f, 0.999f, 0.999f - e20(v) * 0.4f)); break;
    case P::detune: voices([v](SynthVoice& s) { s.detuneAmount = v * v; }); break;
    case P::vintagenoise: voices([v](SynthVoice& s) { s.vintageNoise = v; }); break;
    case P::chorus1enable:
    case P::chorus2enable:
        // Each switch re-reads the other from the program, so the two never drift apart.
        e.chorus->chorus1On = (index == P::chorus1enable ? v : getParameter(P::chorus1enable)) > 0.0f;
        e.chorus->chorus2On = (index == P::chorus2enable ? v : getParameter(P::chorus2enable)) > 0.0f;
        break;
    case P::reverbwet: e.reverb->setWet(e20(v)); break;
    case P::reverbdecay: e.reverb->reverb.setDecay((1.0f - e20(1.0f - v)) * 0.99f); break;
    case P::reverbpredelay: e.reverb->reverb.setPreDelay(e20(v)); break;
    case P::reverbhighcut: e.reverb->reverb.inputFilterB.setSetting(e20(v)); break;
    case P::reverblowcut: e.reverb->reverb.inputFilterA.setSetting(e20(v)); break;
    case P::delaywet: e.delay->setWet(v); break;
    case P::delaytime: e.delay->setTimeValue(v); break;
    case P::delaysync: e.delay->setSync(v > 0.0f); break;
    case P::delayfactorl: e.delay->setHalveLeft(v > 0.0f); break;
    case P::delayfactorr: e.delay->setHalveRight(v > 0.0f); break;
    case P::delayhighshelf: e.delay->setTone(v); break;
    case P::delaylowshelf: e.delay->setHighPass((v * 0.95f + 0.05f) * -0.4f + 0.999f); break;
    case P::delayfeedback:
    {
        const float b = 2.0f * v - 1.0f;
        e.delay->setFeedback(b * b * b + 1.0f);
        break;
    }
    case P::panic: e.allNotesOff(); break;
    case P::envelopeeditordest1: e.userEnvelope.destination = step(v, 8); break;
    case P::envelopeeditorspeed:
    {
        static constexpr float factors[] = {1.0f, 2.0f, 4.0f, 8.0f, 16.0f, 32.0f};
        const int k = step(v, 6);
        e.envelope->speedFactor = inRange(k, 1, 6) ? factors[k - 1] : 1.0f;
        e.envelope->isDirty = true;
        break;
    }
    case P::envelopeeditoramount: e.userEnvelope.amount = v * v; break;
    case P::envelopeoneshot: e.envelope->isOneShot = v > 0.0f; break;
    case P::envelopefixtempo:
        e.envelope->isFixTempo = v > 0.0f;
        e.envelope->bpm = 120.0f;  // makes the next block apply the timing again
        break;
    case P::envelopeReset:
        if (v > 0.0f)
        {
            e.envelope->initializePoints();
            e.envelope->isDirty = true;
        }
        break;
    case P::filterdrive: voices([v](SynthVoice& s) { s.filter->drive = v * 10.0f; }); break;
    default: break;  // no engine setting: the value is only stored
    }
}
