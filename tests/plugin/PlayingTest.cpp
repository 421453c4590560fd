// Notes played through ZEM-Quorveline.so in-process, as a host sees them: pitch, sample-accurate
// events, program and sample-rate changes between blocks, voice allocation and hostile input.
#include "processor/ParameterTable.h"
#include "tests/plugin/PlayingSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace
{
namespace P = ParameterIndex;
using namespace playing;
}  // namespace

// ---------------------------------------------------------------------------------------------------
// Pitch

struct PitchCase
{
    int note;
    double osc2tune, osc2finetune, oscmastertune, transpose;
    double expectedHz;
    double rate = kRate;
};

TEST(PlayingPitch, HeldNotesPlayTheirTunedFrequency)
{
    const PitchCase cases[] = {
        {69, 0.5, 0.5, 0.5, 0.34, 440.0},                     // the reference
        {60, 0.75, 0.5, 0.5, 0.34, noteFrequency(72.0)},      // coarse tune +12
        {64, 0.25, 0.5, 0.5, 1.0, noteFrequency(76.0)},       // coarse tune -12, transpose +24
        {57, 0.5, 0.75, 0.375, 0.34, noteFrequency(57.25)},   // fine +0.5, master -0.25
        {72, 0.5, 0.125, 0.5, 0.0, noteFrequency(59.25)},     // transpose -12, fine -0.75
        {48, 0.5, 0.5, 0.9375, 0.67, noteFrequency(60.875)},  // transpose +12, master +0.875
        {40, 0.49, 0.5, 0.5, 0.34, noteFrequency(40.0)},      // coarse tune truncates -0.48 towards 0
        {24, 0.5, 0.5, 0.5, 0.0, noteFrequency(12.0)},        // 16 Hz, inside the 1 Hz floor
        {120, 1.0, 0.5, 0.5, 1.0, 14000.0},                   // 168 semitones: held at the ceiling
        {69, 0.5, 0.5, 0.5, 0.34, 440.0, 48000.0},            // other rates
        {57, 0.75, 0.25, 0.5, 0.34, noteFrequency(68.5), 8000.0},
        {81, 0.5, 0.5, 0.5, 0.67, noteFrequency(93.0), 384000.0},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE(juce::String("note ") + juce::String(c.note) + " tune " + juce::String(c.osc2tune) + " fine " +
                     juce::String(c.osc2finetune) + " master " + juce::String(c.oscmastertune) + " transpose " +
                     juce::String(c.transpose) + " at " + juce::String(c.rate) + " Hz");
        auto plugin = loadPluginWithPatch(withChanges(kSinePatch, {{"osc2tune", c.osc2tune},
                                                                   {"osc2finetune", c.osc2finetune},
                                                                   {"oscmastertune", c.oscmastertune},
                                                                   {"transpose", c.transpose}}),
                                          c.rate);
        ASSERT_NE(plugin, nullptr);
        const auto result = render(*plugin, makeSequence({{c.note, kLeadIn, 1.5}}), c.rate);
        ASSERT_EQ(result.nonFiniteSamples, 0);

        EXPECT_NEAR(centsBetween(measureFrequency(result.audio, c.rate, 0.3, 1.3), c.expectedHz), 0.0, 0.5);
    }
}

// ---------------------------------------------------------------------------------------------------
// Events between and inside blocks

TEST(PlayingTiming, NoteStartsAtItsOwnSampleWhateverTheBlockSize)
{
    // Inside a block for every size above 1.
    constexpr int noteOnSample = 10000 + 37;

    for (const int blockSize : {1, 64, 512, 4096})
    {
        SCOPED_TRACE("block size " + juce::String(blockSize));
        auto plugin = loadPluginWithPatch(kSinePatch, kRate, blockSize);
        ASSERT_NE(plugin, nullptr);
        const auto result = render(*plugin, makeSequence({{69, noteOnSample / kRate, 0.4}}), kRate, blockSize, 0.1);
        const std::vector<float> x(result.audio.getReadPointer(0),
                                   result.audio.getReadPointer(0) + result.audio.getNumSamples());

        EXPECT_LT(peak(x, 0, noteOnSample), kSilence);
        // The sine starts at its trough and the envelope opens at once: the very first samples speak.
        EXPECT_GT(peak(x, noteOnSample, noteOnSample + 2), 1.0e-3f);
        EXPECT_GT(peak(x, noteOnSample + 200, noteOnSample + 400), 1.4f);
    }
}

TEST(PlayingTiming, ProgramChangeIsHeardFromTheNextBlock)
{
    auto plugin = loadPluginWithPatch(withChanges(kSinePatch, {{"amprelease", 1.0}}));
    ASSERT_NE(plugin, nullptr);
    auto& instance = *plugin->instance;

    // Program 1 becomes the same sound at volume 0.25. Switching releases the held note, but the long
    // release keeps it sounding, so the level follows the master gain alone.
    std::vector<float> values;
    for (auto* parameter : instance.getParameters())
        values.push_back(parameter->getValue());
    instance.setCurrentProgram(1);
    for (size_t i = 0; i < values.size(); ++i)
        instance.getParameters()[(int)i]->setValue((int)i == P::volume ? 0.25f : values[i]);
    instance.setCurrentProgram(0);

    constexpr int blockSize = 512;
    constexpr int switchBlock = 12;
    BlockHost host(*plugin);
    host.prepare(kRate, blockSize);
    for (int block = 0; block < switchBlock; ++block)
        host.play(blockSize, block == 4 ? noteOnAt(0) : juce::MidiBuffer());
    instance.setCurrentProgram(1);
    for (int block = switchBlock; block < switchBlock + 4; ++block)
        host.play(blockSize);

    const int boundary = switchBlock * blockSize;
    const float before = peak(host.output, boundary - 250, boundary);
    const float after = peak(host.output, boundary, boundary + 250);
    EXPECT_GT(before, 1.4f);
    // Master gain (400^v - 1) / 19: 1 at 0.5, 0.183 at 0.25.
    EXPECT_NEAR(after / before, 0.1827, 0.01);
    EXPECT_EQ(instance.getCurrentProgram(), 1);
}

TEST(PlayingTiming, SampleRateChangeRebuildsTheEngineThenAppliesTheProgram)
{
    auto plugin = loadPluginWithPatch(kSinePatch);
    ASSERT_NE(plugin, nullptr);

    constexpr int blockSize = 512;
    BlockHost host(*plugin);
    host.prepare(kRate, blockSize);
    for (int block = 0; block < 20; ++block)
        host.play(blockSize, block == 4 ? noteOnAt(0) : juce::MidiBuffer());
    const float levelBefore = peak(host.output, host.position() - blockSize, host.position());
    ASSERT_GT(levelBefore, 1.4f);

    // The first block at the new rate runs the freshly built engine on its initial settings, whose
    // amplitude envelope has no attack speed yet: the held note is gone and a new one stays silent.
    host.prepare(48000.0, blockSize);
    const int firstBlock = host.position();
    host.play(blockSize, noteOnAt(0));
    EXPECT_LT(peak(host.output, firstBlock, firstBlock + blockSize), kSilence);

    // From the next block on the program is back and a new note plays at its level and pitch.
    const int noteStart = host.position();
    host.play(blockSize, noteOnAt(0));
    for (int block = 0; block < 100; ++block)
        host.play(blockSize);
    EXPECT_NEAR(peak(host.output, noteStart + 4 * blockSize, host.position()), levelBefore, 0.05f);
    EXPECT_NEAR(
        centsBetween(measureFrequency(host.output.data(), noteStart + 4 * blockSize, host.position(), 48000.0), 440.0),
        0.0, 0.5);
    EXPECT_EQ(countNonFinite(host.output), 0);
}

// ---------------------------------------------------------------------------------------------------
// Voice allocation

TEST(PlayingVoices, TwoVoicesStealTheFirstAssignedVoiceAndKeepStealingIt)
{
    auto plugin = loadPluginWithPatch(withChanges(kSinePatch, {{"voices", 0.2}}));
    ASSERT_NE(plugin, nullptr);
    const auto result = render(*plugin, makeSequence({{60, 0.1, 1.0}, {64, 0.3, 1.0}, {67, 0.5, 1.0}, {71, 0.7, 1.0}}));
    const auto level = [&](double from, int note)
    { return partialAmplitude(result.audio, kRate, from, from + 0.15, noteFrequency(note)); };

    struct Expectation
    {
        double from;
        bool sounding[4];  // notes 60, 64, 67, 71
    };
    const Expectation expectations[] = {
        {0.35, {true, true, false, false}},
        {0.55, {false, true, true, false}},  // 67 takes the voice of 60, the first assigned
        {0.75, {false, true, false, true}},  // 71 steals that same voice again, not the one of 64
    };
    const int notes[] = {60, 64, 67, 71};
    for (const auto& e : expectations)
    {
        for (int i = 0; i < 4; ++i)
        {
            SCOPED_TRACE("from " + juce::String(e.from) + " s, note " + juce::String(notes[i]));
            if (e.sounding[i])
                EXPECT_GT(level(e.from, notes[i]), 1.4);
            else
                EXPECT_LT(level(e.from, notes[i]), 0.015);
        }
    }
}

TEST(PlayingVoices, MonoPlaysTheLastKeyAndReturnsToTheKeyStillHeld)
{
    auto plugin = loadPluginWithPatch(withChanges(kSinePatch, {{"voices", 0.0}}));
    ASSERT_NE(plugin, nullptr);
    const auto result = render(*plugin, makeSequence({{60, 0.1, 1.0}, {64, 0.4, 0.7}}), kRate, 512, 0.6);
    const auto level = [&](double from, int note)
    { return partialAmplitude(result.audio, kRate, from, from + 0.15, noteFrequency(note)); };

    EXPECT_GT(level(0.2, 60), 1.4);
    EXPECT_GT(level(0.5, 64), 1.4);
    EXPECT_LT(level(0.5, 60), 0.015);
    // Back to 60 on releasing 64; with velocity volume 0 the returning note is not muted by its velocity 0.
    EXPECT_GT(level(0.8, 60), 1.4);
    EXPECT_LT(level(0.8, 64), 0.015);
    EXPECT_LT(level(1.3, 60), 0.015);
}

// ---------------------------------------------------------------------------------------------------
// Hostile input

TEST(PlayingRobustness, OddMidiLeavesTheHeldNoteAlone)
{
    auto plugin = loadPluginWithPatch(kSinePatch);
    ASSERT_NE(plugin, nullptr);

    std::vector<juce::uint8> sysex(300);
    for (size_t i = 0; i < sysex.size(); ++i)
        sysex[i] = (juce::uint8)(i & 0x7f);
    const auto addJunk = [&](juce::MidiMessageSequence& s, double t)
    {
        s.addEvent(juce::MidiMessage::createSysExMessage(sysex.data(), (int)sysex.size()), t);
        s.addEvent(juce::MidiMessage::aftertouchChange(16, 69, 127), t);
        s.addEvent(juce::MidiMessage::channelPressureChange(3, 90), t);
        s.addEvent(juce::MidiMessage::programChange(16, 5), t);
        s.addEvent(juce::MidiMessage::pitchWheel(16, 0), t);
        s.addEvent(juce::MidiMessage::pitchWheel(16, 16383), t);
        s.addEvent(juce::MidiMessage::controllerEvent(16, 64, 127), t);
        s.addEvent(juce::MidiMessage::controllerEvent(1, 121, 0), t);
        s.addEvent(juce::MidiMessage::midiClock(), t);
        s.addEvent(juce::MidiMessage::midiStart(), t);
        s.addEvent(juce::MidiMessage::songPositionPointer(300), t);
        s.addEvent(juce::MidiMessage(0xfe), t);  // active sensing
        s.addEvent(juce::MidiMessage(0xf6), t);  // tune request
    };

    juce::MidiMessageSequence sequence;
    addJunk(sequence, 0.05);
    sequence.addEvent(juce::MidiMessage::noteOn(16, 69, (juce::uint8)100), kLeadIn);
    addJunk(sequence, kLeadIn);
    addJunk(sequence, 0.6);
    // A note-on of velocity 0 is the usual running-status note-off.
    sequence.addEvent(juce::MidiMessage::noteOn(16, 69, (juce::uint8)0), 1.2);
    const auto result = render(*plugin, sequence, kRate, 512, 0.5);

    EXPECT_EQ(result.nonFiniteSamples, 0);
    EXPECT_NEAR(centsBetween(measureFrequency(result.audio, kRate, 0.2, 1.15), 440.0), 0.0, 0.5);
    EXPECT_NEAR(partialAmplitude(result.audio, kRate, 0.2, 0.55, 440.0), 1.5, 0.05);
    EXPECT_NEAR(partialAmplitude(result.audio, kRate, 0.65, 1.15, 440.0), 1.5, 0.05);
    EXPECT_LT(partialAmplitude(result.audio, kRate, 1.4, 1.7, 440.0), 0.015);
}

TEST(PlayingRobustness, EmptyBlocksAndNoPlayHeadKeepTheNoteGoing)
{
    auto plugin = loadPluginWithPatch(kSinePatch);
    ASSERT_NE(plugin, nullptr);

    // No play head at all, and empty blocks (some carrying events, which have no sample to land on).
    BlockHost host(*plugin);
    host.prepare(kRate, 512);
    for (int block = 0; block < 40; ++block)
    {
        host.play(0, noteOnAt(0, 30 + block));
        host.play(block % 3 == 0 ? 0 : 300 + block, block == 4 ? noteOnAt(0) : juce::MidiBuffer());
        host.play(0);
    }
    EXPECT_EQ(countNonFinite(host.output), 0);
    EXPECT_GT(peak(host.output, host.position() - 1000, host.position()), 1.4f);
}

TEST(PlayingRobustness, AnyReportedTempoKeepsTheOutputFinite)
{
    // Tempo reaches the synced LFOs, the delay times and the user envelope.
    for (const double bpm : {0.0, -120.0, 0.001, 1.0, 999.0, 1.0e6})
    {
        SCOPED_TRACE("bpm " + juce::String(bpm));
        auto plugin = loadPluginWithPatch(kBusyPatch);
        ASSERT_NE(plugin, nullptr);
        RenderSettings settings;
        settings.bpm = bpm;
        settings.tailSeconds = 0.5;
        const auto result = renderSequence(*plugin, makeSequence({{57, kLeadIn, 1.0}, {64, 0.3, 1.0}}), settings);
        EXPECT_EQ(result.nonFiniteSamples, 0);
        EXPECT_GT(result.rms, 1.0e-3f);
    }
}

TEST(PlayingRobustness, ExtremeSampleRatesKeepTheOutputFinite)
{
    for (const double rate : {8000.0, 384000.0})
    {
        for (const auto* patch : {&kSinePatch, &kBusyPatch})
        {
            SCOPED_TRACE(juce::String(rate) + " Hz, " + (patch == &kSinePatch ? "sine" : "busy") + " patch");
            auto plugin = loadPluginWithPatch(*patch, rate);
            ASSERT_NE(plugin, nullptr);
            const auto result =
                render(*plugin, makeSequence({{33, kLeadIn, 0.8}, {69, 0.2, 0.8}, {96, 0.3, 0.8}, {127, 0.4, 0.8}}),
                       rate, 512, 0.5);
            EXPECT_EQ(result.nonFiniteSamples, 0);
            EXPECT_GT(result.rms, 1.0e-3f);
        }
    }
}

TEST(PlayingRobustness, OutOfRangeParameterValuesNeverMakeTheOutputNonFinite)
{
    const float badValues[] = {-1.0f,
                               2.0f,
                               1.0e30f,
                               -1.0e30f,
                               std::numeric_limits<float>::quiet_NaN(),
                               std::numeric_limits<float>::infinity()};
    constexpr int blockSize = 512;
    constexpr int blocksPerStep = 2;
    juce::MidiBuffer chord;
    for (int note : {45, 64, 72})
        chord.addEvent(juce::MidiMessage::noteOn(1, note, (juce::uint8)100), 0);

    for (int index = 0; index < kNumParameters; ++index)
    {
        SCOPED_TRACE("parameter " + juce::String(index));
        auto plugin = loadPluginWithPatch(kBusyPatch);
        ASSERT_NE(plugin, nullptr);
        auto* parameter = plugin->instance->getParameters()[index];
        const float original = parameter->getValue();

        BlockHost host(*plugin);
        host.prepare(kRate, blockSize);
        for (int block = 0; block < 6; ++block)
            host.play(blockSize, block == 3 ? chord : juce::MidiBuffer());

        for (const float value : badValues)
        {
            // The host passes the value through unclamped; the plug-in stores it as it is.
            parameter->setValue(value);
            const float stored = parameter->getValue();
            EXPECT_TRUE(stored == value || (std::isnan(value) && std::isnan(stored)))
                << value << " read back as " << stored;

            // Heard while notes sound, then once more through a program application with a new chord.
            for (int block = 0; block < blocksPerStep; ++block)
                host.play(blockSize);
            plugin->instance->setCurrentProgram(0);
            for (int block = 0; block < blocksPerStep; ++block)
                host.play(blockSize, block == 1 ? chord : juce::MidiBuffer());

            const int nonFinite = countNonFinite(host.output);
            EXPECT_EQ(nonFinite, 0) << "after the value " << value;
            parameter->setValue(original);
            if (nonFinite > 0)
                break;
        }
    }
}
