// Notes played through ZEM-Quorveline.so in-process, as a host sees them: pitch, sample-accurate
// events, program and sample-rate changes between blocks, voice allocation and hostile input.
#include "processor/ParameterTable.h"
#include "tools/host/HostedPlugin.h"
#include "tools/host/Render.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace
{
namespace P = ParameterIndex;

const juce::String kPlugin { QUORVELINE_PLUGIN_BINARY };
constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;
// The engine adds noise of about 1e-8 against denormals: anything below this is silence.
constexpr float kSilence = 1.0e-5f;
// A freshly loaded instrument applies its program in the first block and again in the second,
// once it has seen the voice count; notes start after this.
constexpr double kLeadIn = 0.1;

struct Attribute
{
    const char* name;
    double value;
};
using Patch = std::vector<Attribute>;

// Oscillator 2 alone as an unfiltered sine on a plain gate envelope, at master gain 1 (volume 0.5):
// every note is one clean partial of amplitude 1.5 (0.5 from the oscillator, 3 from the unfiltered
// path). Discrete values are all written out, because a missing attribute would read as the last step.
const Patch kSinePatch {
    { "volume", 0.5 },          { "filtertype", 1.0 },       { "cutoff", 1.0 },          { "resonance", 0.0 },
    { "filterdrive", 0.0 },     { "osc1volume", 0.0 },       { "osc2volume", 1.0 },      { "osc3volume", 0.0 },
    { "osc2waveform", 0.75 },   { "osc2tune", 0.5 },         { "osc2finetune", 0.5 },    { "oscmastertune", 0.5 },
    { "transpose", 0.34 },      { "osc2fm", 0.0 },           { "oscsync", 0.0 },         { "ringmodulation", 0.0 },
    { "oscbitcrusher", 1.0 },   { "vintagenoise", 0.0 },     { "detune", 0.0 },          { "portamentomode", 0.0 },
    { "portamento", 0.0 },      { "ampattack", 0.0 },        { "ampdecay", 0.0 },        { "ampsustain", 1.0 },
    { "amprelease", 0.0 },      { "velocityvolume", 0.0 },   { "lfo1amount", 0.5 },      { "lfo2amount", 0.5 },
    { "lfo1destination", 0.0 }, { "lfo2destination", 0.0 }, { "freeadamount", 0.5 },    { "freeaddestination", 0.0 },
    { "envelopeeditoramount", 0.0 }, { "envelopeeditordest1", 0.0 }, { "pitchwheelpitch", 0.0 },
    { "pitchwheelcutoff", 0.0 }, { "highpass", 0.0 },        { "delaywet", 0.0 },        { "chorus1enable", 0.0 },
    { "chorus2enable", 0.0 },   { "reverbwet", 0.0 },        { "voices", 1.0 },
};

// Every section at work: three oscillators with sync, FM and ring modulation into a resonant 24 dB
// low-pass, LFOs, the free and the user envelope, crusher, crackle, delay, both choruses and reverb.
const Patch kBusyPatch {
    { "volume", 0.5 },          { "filtertype", 0.0 },       { "cutoff", 0.6 },          { "resonance", 0.6 },
    { "filterdrive", 0.3 },     { "keyfollow", 0.5 },        { "filtercontour", 0.8 },   { "osc1volume", 0.8 },
    { "osc2volume", 0.8 },      { "osc3volume", 0.8 },       { "osc1waveform", 0.0 },    { "osc2waveform", 0.25 },
    { "oscsync", 1.0 },         { "osc2fm", 0.2 },           { "ringmodulation", 0.3 },  { "oscbitcrusher", 0.9 },
    { "vintagenoise", 0.3 },    { "detune", 0.5 },           { "portamentomode", 0.5 },  { "portamento", 0.3 },
    { "ampattack", 0.1 },       { "ampdecay", 0.3 },         { "ampsustain", 0.7 },      { "amprelease", 0.4 },
    { "lfo1amount", 0.8 },      { "lfo2amount", 0.2 },       { "lfo1destination", 0.3 }, { "lfo2destination", 1.0 },
    { "lfo1rate", 0.4 },        { "lfo2rate", 0.3 },         { "lfo1sync", 1.0 },        { "freeadamount", 0.8 },
    { "freeaddestination", 0.4 }, { "envelopeeditoramount", 0.6 }, { "envelopeeditordest1", 0.5 },
    { "delaywet", 0.4 },        { "delaysync", 1.0 },        { "delayfeedback", 0.6 },   { "chorus1enable", 1.0 },
    { "chorus2enable", 1.0 },   { "reverbwet", 0.4 },        { "highpass", 0.2 },        { "voices", 1.0 },
};

Patch withChanges (Patch patch, std::initializer_list<Attribute> changes)
{
    patch.insert (patch.end(), changes.begin(), changes.end());
    return patch;
}

std::unique_ptr<HostedPlugin> loadPlugin (double rate = kRate, int blockSize = 512)
{
    auto plugin = std::make_unique<HostedPlugin> (kPlugin, rate, blockSize);
    return plugin->isLoaded() ? std::move (plugin) : nullptr;
}

// Replaces program 0 with factory program 0 changed by `patch` and selects it, as loading a preset
// file does. Every other attribute keeps the factory value, so nothing falls back to a reader default.
bool loadPatch (HostedPlugin& plugin, const Patch& patch)
{
    plugin.instance->setCurrentProgram (0);
    const auto current = plugin.getChunk (true);
    auto document = juce::AudioProcessor::getXmlFromBinary (current.getData(), (int) current.getSize());
    auto* programs = document != nullptr ? document->getChildByName ("programs") : nullptr;
    auto* program = programs != nullptr ? programs->getChildByName ("program") : nullptr;
    if (program == nullptr)
        return false;
    for (const auto& a : patch)
        program->setAttribute (a.name, a.value);
    juce::MemoryBlock chunk;
    juce::AudioProcessor::copyXmlToBinary (*document, chunk);
    plugin.setChunk (chunk);
    return true;
}

std::unique_ptr<HostedPlugin> loadPluginWithPatch (const Patch& patch, double rate = kRate, int blockSize = 512)
{
    auto plugin = loadPlugin (rate, blockSize);
    return plugin != nullptr && loadPatch (*plugin, patch) ? std::move (plugin) : nullptr;
}

struct Note
{
    int number;
    double on, off;  // seconds
};

juce::MidiMessageSequence makeSequence (std::initializer_list<Note> notes)
{
    juce::MidiMessageSequence sequence;
    for (const auto& n : notes)
    {
        sequence.addEvent (juce::MidiMessage::noteOn (1, n.number, (juce::uint8) 100), n.on);
        sequence.addEvent (juce::MidiMessage::noteOff (1, n.number), n.off);
    }
    sequence.updateMatchedPairs();
    return sequence;
}

RenderResult render (HostedPlugin& plugin, const juce::MidiMessageSequence& sequence, double rate = kRate,
                     int blockSize = 512, double tailSeconds = 0.2)
{
    RenderSettings settings;
    settings.sampleRate = rate;
    settings.blockSize = blockSize;
    settings.tailSeconds = tailSeconds;
    return renderSequence (plugin, sequence, settings);
}

// Frequency from linearly interpolated upward zero crossings between two sample indices.
double measureFrequency (const float* x, int begin, int end, double rate)
{
    double first = 0.0, last = 0.0;
    int crossings = 0;
    for (int i = begin + 1; i < end; ++i)
    {
        if (x[i - 1] < 0.0f && x[i] >= 0.0f)
        {
            last = (i - 1) + (double) x[i - 1] / ((double) x[i - 1] - (double) x[i]);
            if (crossings++ == 0)
                first = last;
        }
    }
    return crossings > 1 ? (crossings - 1) * rate / (last - first) : 0.0;
}

double measureFrequency (const juce::AudioBuffer<float>& audio, double rate, double from, double to)
{
    return measureFrequency (audio.getReadPointer (0), (int) (from * rate), (int) (to * rate), rate);
}

double centsBetween (double measured, double expected)
{
    return 1200.0 * std::log2 (measured / expected);
}

double noteFrequency (double pitch)
{
    return 440.0 * std::pow (2.0, (pitch - 69.0) / 12.0);
}

// Amplitude of one partial in a Hann-windowed stretch of channel 0 (a sine of amplitude a gives a).
double partialAmplitude (const juce::AudioBuffer<float>& audio, double rate, double from, double to, double frequency)
{
    const float* x = audio.getReadPointer (0);
    const int begin = (int) (from * rate);
    const int n = (int) (to * rate) - begin;
    double re = 0.0, im = 0.0, windowSum = 0.0;
    for (int i = 0; i < n; ++i)
    {
        const double w = 0.5 - 0.5 * std::cos (2.0 * kPi * i / (n - 1));
        const double phase = 2.0 * kPi * frequency * i / rate;
        re += w * x[begin + i] * std::cos (phase);
        im += w * x[begin + i] * std::sin (phase);
        windowSum += w;
    }
    return 2.0 * std::hypot (re, im) / windowSum;
}

float peak (const std::vector<float>& x, int begin, int end)
{
    float p = 0.0f;
    for (int i = begin; i < end; ++i)
        p = std::max (p, std::abs (x[(size_t) i]));
    return p;
}

int countNonFinite (const std::vector<float>& x)
{
    int n = 0;
    for (float v : x)
        n += std::isfinite (v) ? 0 : 1;
    return n;
}

// Plays the plug-in block by block, as a host's audio callback does, and keeps the left channel.
class BlockHost
{
public:
    explicit BlockHost (HostedPlugin& p) : instance (*p.instance) {}

    // As hosts do on a rate change: suspend, set the rate, resume.
    void prepare (double rate, int blockSize)
    {
        instance.releaseResources();
        instance.prepareToPlay (rate, blockSize);
    }

    void play (int numSamples, juce::MidiBuffer midi = {})
    {
        const int channels = std::max ({ 2, instance.getTotalNumInputChannels(), instance.getTotalNumOutputChannels() });
        juce::AudioBuffer<float> block (channels, numSamples);
        block.clear();
        instance.processBlock (block, midi);
        for (int i = 0; i < numSamples; ++i)
            output.push_back (block.getSample (0, i));
    }

    int position() const { return (int) output.size(); }

    std::vector<float> output;

private:
    juce::AudioPluginInstance& instance;
};

juce::MidiBuffer noteOnAt (int sample, int note = 69)
{
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 100), sample);
    return midi;
}
} // namespace

// ---------------------------------------------------------------------------------------------------
// Pitch

struct PitchCase
{
    int note;
    double osc2tune, osc2finetune, oscmastertune, transpose;
    double expectedHz;
    double rate = kRate;
};

TEST (PlayingPitch, HeldNotesPlayTheirTunedFrequency)
{
    const PitchCase cases[] = {
        { 69, 0.5, 0.5, 0.5, 0.34, 440.0 },                         // the reference
        { 60, 0.75, 0.5, 0.5, 0.34, noteFrequency (72.0) },         // coarse tune +12
        { 64, 0.25, 0.5, 0.5, 1.0, noteFrequency (76.0) },          // coarse tune -12, transpose +24
        { 57, 0.5, 0.75, 0.375, 0.34, noteFrequency (57.25) },      // fine +0.5, master -0.25
        { 72, 0.5, 0.125, 0.5, 0.0, noteFrequency (59.25) },        // transpose -12, fine -0.75
        { 48, 0.5, 0.5, 0.9375, 0.67, noteFrequency (60.875) },     // transpose +12, master +0.875
        { 40, 0.49, 0.5, 0.5, 0.34, noteFrequency (40.0) },         // coarse tune truncates -0.48 towards 0
        { 24, 0.5, 0.5, 0.5, 0.0, noteFrequency (12.0) },           // 16 Hz, inside the 1 Hz floor
        { 120, 1.0, 0.5, 0.5, 1.0, 14000.0 },                       // 168 semitones: held at the ceiling
        { 69, 0.5, 0.5, 0.5, 0.34, 440.0, 48000.0 },                // other rates
        { 57, 0.75, 0.25, 0.5, 0.34, noteFrequency (68.5), 8000.0 },
        { 81, 0.5, 0.5, 0.5, 0.67, noteFrequency (93.0), 384000.0 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String ("note ") + juce::String (c.note) + " tune " + juce::String (c.osc2tune)
                      + " fine " + juce::String (c.osc2finetune) + " master " + juce::String (c.oscmastertune)
                      + " transpose " + juce::String (c.transpose) + " at " + juce::String (c.rate) + " Hz");
        auto plugin = loadPluginWithPatch (withChanges (kSinePatch, { { "osc2tune", c.osc2tune },
                                                                      { "osc2finetune", c.osc2finetune },
                                                                      { "oscmastertune", c.oscmastertune },
                                                                      { "transpose", c.transpose } }),
                                           c.rate);
        ASSERT_NE (plugin, nullptr);
        const auto result = render (*plugin, makeSequence ({ { c.note, kLeadIn, 1.5 } }), c.rate);
        ASSERT_EQ (result.nonFiniteSamples, 0);

        EXPECT_NEAR (centsBetween (measureFrequency (result.audio, c.rate, 0.3, 1.3), c.expectedHz), 0.0, 0.5);
    }
}

// ---------------------------------------------------------------------------------------------------
// Events between and inside blocks

TEST (PlayingTiming, NoteStartsAtItsOwnSampleWhateverTheBlockSize)
{
    // Inside a block for every size above 1.
    constexpr int noteOnSample = 10000 + 37;

    for (const int blockSize : { 1, 64, 512, 4096 })
    {
        SCOPED_TRACE ("block size " + juce::String (blockSize));
        auto plugin = loadPluginWithPatch (kSinePatch, kRate, blockSize);
        ASSERT_NE (plugin, nullptr);
        const auto result = render (*plugin, makeSequence ({ { 69, noteOnSample / kRate, 0.4 } }), kRate, blockSize, 0.1);
        const std::vector<float> x (result.audio.getReadPointer (0), result.audio.getReadPointer (0) + result.audio.getNumSamples());

        EXPECT_LT (peak (x, 0, noteOnSample), kSilence);
        // The sine starts at its trough and the envelope opens at once: the very first samples speak.
        EXPECT_GT (peak (x, noteOnSample, noteOnSample + 2), 1.0e-3f);
        EXPECT_GT (peak (x, noteOnSample + 200, noteOnSample + 400), 1.4f);
    }
}

TEST (PlayingTiming, ProgramChangeIsHeardFromTheNextBlock)
{
    auto plugin = loadPluginWithPatch (withChanges (kSinePatch, { { "amprelease", 1.0 } }));
    ASSERT_NE (plugin, nullptr);
    auto& instance = *plugin->instance;

    // Program 1 becomes the same sound at volume 0.25. Switching releases the held note, but the long
    // release keeps it sounding, so the level follows the master gain alone.
    std::vector<float> values;
    for (auto* parameter : instance.getParameters())
        values.push_back (parameter->getValue());
    instance.setCurrentProgram (1);
    for (size_t i = 0; i < values.size(); ++i)
        instance.getParameters()[(int) i]->setValue ((int) i == P::volume ? 0.25f : values[i]);
    instance.setCurrentProgram (0);

    constexpr int blockSize = 512;
    constexpr int switchBlock = 12;
    BlockHost host (*plugin);
    host.prepare (kRate, blockSize);
    for (int block = 0; block < switchBlock; ++block)
        host.play (blockSize, block == 4 ? noteOnAt (0) : juce::MidiBuffer());
    instance.setCurrentProgram (1);
    for (int block = switchBlock; block < switchBlock + 4; ++block)
        host.play (blockSize);

    const int boundary = switchBlock * blockSize;
    const float before = peak (host.output, boundary - 250, boundary);
    const float after = peak (host.output, boundary, boundary + 250);
    EXPECT_GT (before, 1.4f);
    // Master gain (400^v - 1) / 19: 1 at 0.5, 0.183 at 0.25.
    EXPECT_NEAR (after / before, 0.1827, 0.01);
    EXPECT_EQ (instance.getCurrentProgram(), 1);
}

TEST (PlayingTiming, SampleRateChangeRebuildsTheEngineThenAppliesTheProgram)
{
    auto plugin = loadPluginWithPatch (kSinePatch);
    ASSERT_NE (plugin, nullptr);

    constexpr int blockSize = 512;
    BlockHost host (*plugin);
    host.prepare (kRate, blockSize);
    for (int block = 0; block < 20; ++block)
        host.play (blockSize, block == 4 ? noteOnAt (0) : juce::MidiBuffer());
    const float levelBefore = peak (host.output, host.position() - blockSize, host.position());
    ASSERT_GT (levelBefore, 1.4f);

    // The first block at the new rate runs the freshly built engine on its initial settings, whose
    // amplitude envelope has no attack speed yet: the held note is gone and a new one stays silent.
    host.prepare (48000.0, blockSize);
    const int firstBlock = host.position();
    host.play (blockSize, noteOnAt (0));
    EXPECT_LT (peak (host.output, firstBlock, firstBlock + blockSize), kSilence);

    // From the next block on the program is back and a new note plays at its level and pitch.
    const int noteStart = host.position();
    host.play (blockSize, noteOnAt (0));
    for (int block = 0; block < 100; ++block)
        host.play (blockSize);
    EXPECT_NEAR (peak (host.output, noteStart + 4 * blockSize, host.position()), levelBefore, 0.05f);
    EXPECT_NEAR (centsBetween (measureFrequency (host.output.data(), noteStart + 4 * blockSize, host.position(), 48000.0),
                               440.0),
                 0.0, 0.5);
    EXPECT_EQ (countNonFinite (host.output), 0);
}

// ---------------------------------------------------------------------------------------------------
// Voice allocation

TEST (PlayingVoices, TwoVoicesStealTheFirstAssignedVoiceAndKeepStealingIt)
{
    auto plugin = loadPluginWithPatch (withChanges (kSinePatch, { { "voices", 0.2 } }));
    ASSERT_NE (plugin, nullptr);
    const auto result = render (*plugin, makeSequence ({ { 60, 0.1, 1.0 }, { 64, 0.3, 1.0 }, { 67, 0.5, 1.0 },
                                                         { 71, 0.7, 1.0 } }));
    const auto level = [&] (double from, int note)
    { return partialAmplitude (result.audio, kRate, from, from + 0.15, noteFrequency (note)); };

    struct Expectation
    {
        double from;
        bool sounding[4];  // notes 60, 64, 67, 71
    };
    const Expectation expectations[] = {
        { 0.35, { true, true, false, false } },
        { 0.55, { false, true, true, false } },   // 67 takes the voice of 60, the first assigned
        { 0.75, { false, true, false, true } },   // 71 steals that same voice again, not the one of 64
    };
    const int notes[] = { 60, 64, 67, 71 };
    for (const auto& e : expectations)
    {
        for (int i = 0; i < 4; ++i)
        {
            SCOPED_TRACE ("from " + juce::String (e.from) + " s, note " + juce::String (notes[i]));
            if (e.sounding[i])
                EXPECT_GT (level (e.from, notes[i]), 1.4);
            else
                EXPECT_LT (level (e.from, notes[i]), 0.015);
        }
    }
}

TEST (PlayingVoices, MonoPlaysTheLastKeyAndReturnsToTheKeyStillHeld)
{
    auto plugin = loadPluginWithPatch (withChanges (kSinePatch, { { "voices", 0.0 } }));
    ASSERT_NE (plugin, nullptr);
    const auto result = render (*plugin, makeSequence ({ { 60, 0.1, 1.0 }, { 64, 0.4, 0.7 } }), kRate, 512, 0.6);
    const auto level = [&] (double from, int note)
    { return partialAmplitude (result.audio, kRate, from, from + 0.15, noteFrequency (note)); };

    EXPECT_GT (level (0.2, 60), 1.4);
    EXPECT_GT (level (0.5, 64), 1.4);
    EXPECT_LT (level (0.5, 60), 0.015);
    // Back to 60 on releasing 64; with velocity volume 0 the returning note is not muted by its velocity 0.
    EXPECT_GT (level (0.8, 60), 1.4);
    EXPECT_LT (level (0.8, 64), 0.015);
    EXPECT_LT (level (1.3, 60), 0.015);
}

// ---------------------------------------------------------------------------------------------------
// Hostile input

TEST (PlayingRobustness, OddMidiLeavesTheHeldNoteAlone)
{
    auto plugin = loadPluginWithPatch (kSinePatch);
    ASSERT_NE (plugin, nullptr);

    std::vector<juce::uint8> sysex (300);
    for (size_t i = 0; i < sysex.size(); ++i)
        sysex[i] = (juce::uint8) (i & 0x7f);
    const auto addJunk = [&] (juce::MidiMessageSequence& s, double t)
    {
        s.addEvent (juce::MidiMessage::createSysExMessage (sysex.data(), (int) sysex.size()), t);
        s.addEvent (juce::MidiMessage::aftertouchChange (16, 69, 127), t);
        s.addEvent (juce::MidiMessage::channelPressureChange (3, 90), t);
        s.addEvent (juce::MidiMessage::programChange (16, 5), t);
        s.addEvent (juce::MidiMessage::pitchWheel (16, 0), t);
        s.addEvent (juce::MidiMessage::pitchWheel (16, 16383), t);
        s.addEvent (juce::MidiMessage::controllerEvent (16, 64, 127), t);
        s.addEvent (juce::MidiMessage::controllerEvent (1, 121, 0), t);
        s.addEvent (juce::MidiMessage::midiClock(), t);
        s.addEvent (juce::MidiMessage::midiStart(), t);
        s.addEvent (juce::MidiMessage::songPositionPointer (300), t);
        s.addEvent (juce::MidiMessage (0xfe), t);  // active sensing
        s.addEvent (juce::MidiMessage (0xf6), t);  // tune request
    };

    juce::MidiMessageSequence sequence;
    addJunk (sequence, 0.05);
    sequence.addEvent (juce::MidiMessage::noteOn (16, 69, (juce::uint8) 100), kLeadIn);
    addJunk (sequence, kLeadIn);
    addJunk (sequence, 0.6);
    // A note-on of velocity 0 is the usual running-status note-off.
    sequence.addEvent (juce::MidiMessage::noteOn (16, 69, (juce::uint8) 0), 1.2);
    const auto result = render (*plugin, sequence, kRate, 512, 0.5);

    EXPECT_EQ (result.nonFiniteSamples, 0);
    EXPECT_NEAR (centsBetween (measureFrequency (result.audio, kRate, 0.2, 1.15), 440.0), 0.0, 0.5);
    EXPECT_NEAR (partialAmplitude (result.audio, kRate, 0.2, 0.55, 440.0), 1.5, 0.05);
    EXPECT_NEAR (partialAmplitude (result.audio, kRate, 0.65, 1.15, 440.0), 1.5, 0.05);
    EXPECT_LT (partialAmplitude (result.audio, kRate, 1.4, 1.7, 440.0), 0.015);
}

TEST (PlayingRobustness, EmptyBlocksAndNoPlayHeadKeepTheNoteGoing)
{
    auto plugin = loadPluginWithPatch (kSinePatch);
    ASSERT_NE (plugin, nullptr);

    // No play head at all, and empty blocks (some carrying events, which have no sample to land on).
    BlockHost host (*plugin);
    host.prepare (kRate, 512);
    for (int block = 0; block < 40; ++block)
    {
        host.play (0, noteOnAt (0, 30 + block));
        host.play (block % 3 == 0 ? 0 : 300 + block, block == 4 ? noteOnAt (0) : juce::MidiBuffer());
        host.play (0);
    }
    EXPECT_EQ (countNonFinite (host.output), 0);
    EXPECT_GT (peak (host.output, host.position() - 1000, host.position()), 1.4f);
}

TEST (PlayingRobustness, AnyReportedTempoKeepsTheOutputFinite)
{
    // Tempo reaches the synced LFOs, the delay times and the user envelope.
    for (const double bpm : { 0.0, -120.0, 0.001, 1.0, 999.0, 1.0e6 })
    {
        SCOPED_TRACE ("bpm " + juce::String (bpm));
        auto plugin = loadPluginWithPatch (kBusyPatch);
        ASSERT_NE (plugin, nullptr);
        RenderSettings settings;
        settings.bpm = bpm;
        settings.tailSeconds = 0.5;
        const auto result = renderSequence (*plugin, makeSequence ({ { 57, kLeadIn, 1.0 }, { 64, 0.3, 1.0 } }), settings);
        EXPECT_EQ (result.nonFiniteSamples, 0);
        EXPECT_GT (result.rms, 1.0e-3f);
    }
}

TEST (PlayingRobustness, ExtremeSampleRatesKeepTheOutputFinite)
{
    for (const double rate : { 8000.0, 384000.0 })
    {
        for (const auto* patch : { &kSinePatch, &kBusyPatch })
        {
            SCOPED_TRACE (juce::String (rate) + " Hz, " + (patch == &kSinePatch ? "sine" : "busy") + " patch");
            auto plugin = loadPluginWithPatch (*patch, rate);
            ASSERT_NE (plugin, nullptr);
            const auto result = render (*plugin, makeSequence ({ { 33, kLeadIn, 0.8 }, { 69, 0.2, 0.8 }, { 96, 0.3, 0.8 },
                                                                 { 127, 0.4, 0.8 } }),
                                        rate, 512, 0.5);
            EXPECT_EQ (result.nonFiniteSamples, 0);
            EXPECT_GT (result.rms, 1.0e-3f);
        }
    }
}

TEST (PlayingRobustness, OutOfRangeParameterValuesNeverMakeTheOutputNonFinite)
{
    const float badValues[] = { -1.0f, 2.0f, 1.0e30f, -1.0e30f, std::numeric_limits<float>::quiet_NaN(),
                                std::numeric_limits<float>::infinity() };
    constexpr int blockSize = 512;
    constexpr int blocksPerStep = 2;
    juce::MidiBuffer chord;
    for (int note : { 45, 64, 72 })
        chord.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 100), 0);

    for (int index = 0; index < kNumParameters; ++index)
    {
        SCOPED_TRACE ("parameter " + juce::String (index));
        auto plugin = loadPluginWithPatch (kBusyPatch);
        ASSERT_NE (plugin, nullptr);
        auto* parameter = plugin->instance->getParameters()[index];
        const float original = parameter->getValue();

        BlockHost host (*plugin);
        host.prepare (kRate, blockSize);
        for (int block = 0; block < 6; ++block)
            host.play (blockSize, block == 3 ? chord : juce::MidiBuffer());

        for (const float value : badValues)
        {
            // The host passes the value through unclamped; the plug-in stores it as it is.
            parameter->setValue (value);
            const float stored = parameter->getValue();
            EXPECT_TRUE (stored == value || (std::isnan (value) && std::isnan (stored))) << value << " read back as " << stored;

            // Heard while notes sound, then once more through a program application with a new chord.
            for (int block = 0; block < blocksPerStep; ++block)
                host.play (blockSize);
            plugin->instance->setCurrentProgram (0);
            for (int block = 0; block < blocksPerStep; ++block)
                host.play (blockSize, block == 1 ? chord : juce::MidiBuffer());

            const int nonFinite = countNonFinite (host.output);
            EXPECT_EQ (nonFinite, 0) << "after the value " << value;
            parameter->setValue (original);
            if (nonFinite > 0)
                break;
        }
    }
}
