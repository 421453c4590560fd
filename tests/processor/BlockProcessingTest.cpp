// The audio thread's block: MIDI at its own sample, program and rate changes at block boundaries,
// hostile blocks, and no allocation while rendering.
#include "engine/SynthEngine.h"
#include "processor/PluginProcessor.h"

#include "tests/support/HeapCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace P = ParameterIndex;

namespace
{
struct Block
{
    juce::AudioBuffer<float> audio;
    juce::MidiBuffer midi;

    explicit Block(int samples, int channels = 2) : audio(channels, samples) { audio.clear(); }
    Block& add(const juce::MidiMessage& m, int position)
    {
        midi.addEvent(m, position);
        return *this;
    }
};

class FixedPlayHead : public juce::AudioPlayHead
{
public:
    juce::Optional<PositionInfo> getPosition() const override { return info; }
    PositionInfo info;
};

class BlockProcessing : public testing::Test
{
protected:
    BlockProcessing()
    {
        processor.setRateAndBufferSizeDetails(44100.0, 512);
        run(512);  // applies the program
        run(512);  // applies it again after the voice count was first seen
    }

    Block run(int samples, std::initializer_list<std::pair<juce::MidiMessage, int>> events = {})
    {
        Block block(samples);
        for (const auto& [message, position] : events)
            block.add(message, position);
        processor.processBlock(block.audio, block.midi);
        return block;
    }

    SynthVoice& voice(int i) { return processor.engine->voiceManager->voices[(size_t)i]; }

    PluginProcessor processor;
};

float peak(const Block& block, int from, int to)
{
    float p = 0.0f;
    for (int i = from; i < to; ++i)
        p = std::max(p, std::abs(block.audio.getSample(0, i)));
    return p;
}
}  // namespace

TEST_F(BlockProcessing, NoteOnAndOffTakeEffectAtTheirOwnSamples)
{
    const auto block =
        run(512, {{juce::MidiMessage::noteOn(1, 60, (juce::uint8)100), 200}, {juce::MidiMessage::noteOff(1, 60), 300}});
    EXPECT_LT(peak(block, 0, 200), 1e-5f);
    EXPECT_GT(peak(block, 200, 300), 1e-3f);
    EXPECT_FALSE(voice(0).gate);
    EXPECT_GT(peak(block, 300, 310), 1e-3f);  // releasing, not cut
}

TEST_F(BlockProcessing, AllNotesOffMessagesReleaseEveryVoice)
{
    for (const auto& message : {juce::MidiMessage::controllerEvent(3, 123, 0),
                                juce::MidiMessage::controllerEvent(16, 120, 0), juce::MidiMessage::midiStop()})
    {
        run(64, {{juce::MidiMessage::noteOn(1, 60, (juce::uint8)100), 0}});
        EXPECT_TRUE(voice(0).gate);
        const auto block = run(64, {{message, 10}});
        EXPECT_FALSE(voice(0).gate) << message.getDescription();
        EXPECT_GT(peak(block, 10, 64), 1e-3f) << "fades through the release";
    }
}

TEST_F(BlockProcessing, VelocityAndPitchWheelScaling)
{
    run(16, {{juce::MidiMessage::noteOn(1, 60, (juce::uint8)127), 0}});
    EXPECT_NEAR(voice(0).velocity, 1.0f, 1e-6f);
    run(16, {{juce::MidiMessage::noteOn(1, 62, (juce::uint8)1), 0}});
    EXPECT_FLOAT_EQ(voice(0).velocity, 0.007874016f);

    struct Case
    {
        int lsb, msb;
        float wheel;
    };
    for (const auto& c :
         {Case{0x00, 0x40, 0.0f}, Case{0x7f, 0x7f, 8191.0f / 8191.5f}, Case{0x00, 0x00, -8192.0f / 8191.5f}})
    {
        const juce::uint8 bytes[] = {0xe5, (juce::uint8)c.lsb, (juce::uint8)c.msb};
        run(16, {{juce::MidiMessage(bytes, 3), 0}});
        EXPECT_FLOAT_EQ(processor.engine->pitchWheel.wheel, c.wheel);
    }
}

TEST_F(BlockProcessing, EventsBeforeTheBlockApplyAtItsStartAndThoseAfterItNever)
{
    Block early(64);
    early.midi.addEvent(juce::MidiMessage::noteOn(1, 60, (juce::uint8)100), -5);
    processor.processBlock(early.audio, early.midi);
    EXPECT_TRUE(voice(0).gate);
    EXPECT_GT(std::abs(early.audio.getSample(0, 1)), 1e-6f);

    run(64, {{juce::MidiMessage::noteOff(1, 60), 64}, {juce::MidiMessage::noteOff(1, 60), 1000}});
    EXPECT_TRUE(voice(0).gate);
}

TEST_F(BlockProcessing, AProgramChangeIsAppliedAtTheNextBlock)
{
    processor.programs[3].values[P::volume] = 0.25f;
    processor.setCurrentProgram(3);
    EXPECT_FLOAT_EQ(processor.getParameter(P::volume), 0.25f);
    EXPECT_NE(processor.engine->masterVolume, (std::pow(400.0f, 0.25f) - 1.0f) / 19.0f);

    run(32);
    EXPECT_FLOAT_EQ(processor.engine->masterVolume, (std::pow(400.0f, 0.25f) - 1.0f) / 19.0f);
    // Every count is set to 1, then counted once more by the program's own application.
    EXPECT_EQ(processor.changeCounts[P::cutoff], 2);
}

TEST_F(BlockProcessing, ASampleRateChangePlaysOneBlockWithInitialSettings)
{
    processor.prepareToPlay(48000.0, 512);
    processor.setRateAndBufferSizeDetails(48000.0, 512);
    run(64);
    EXPECT_EQ(processor.engine->sampleRate, 48000.0f);
    EXPECT_EQ(processor.engine->masterVolume, 1.0f);
    run(64);
    EXPECT_NEAR(processor.engine->masterVolume, (std::pow(400.0f, 0.408f) - 1.0f) / 19.0f, 1e-5f);

    // Without a prepareToPlay the block builds the engine itself.
    processor.setRateAndBufferSizeDetails(96000.0, 512);
    run(64);
    EXPECT_EQ(processor.engine->sampleRate, 96000.0f);
}

TEST_F(BlockProcessing, ChangingTheVoiceCountReappliesTheProgram)
{
    run(64, {{juce::MidiMessage::noteOn(1, 60, (juce::uint8)100), 0}});
    processor.setParameter(P::voices, 1.0f);
    run(64);
    EXPECT_EQ(processor.engine->voiceManager->numberOfVoices, 6);
    EXPECT_TRUE(voice(0).gate);
    run(64);
    EXPECT_FALSE(voice(0).gate);
}

TEST_F(BlockProcessing, TempoFollowsTheHostAndFallsBackTo120)
{
    FixedPlayHead host;
    processor.setPlayHead(&host);
    host.info.setBpm(90.0);
    run(16);
    EXPECT_EQ(processor.lastBpm, 90.0f);
    host.info.setBpm(0.0);
    run(16);
    EXPECT_EQ(processor.lastBpm, 120.0f);
    host.info.setBpm(juce::nullopt);
    run(16);
    EXPECT_EQ(processor.lastBpm, 120.0f);
    processor.setPlayHead(nullptr);
}

TEST_F(BlockProcessing, HostileBlocksNeverBreakRendering)
{
    const juce::uint8 sysex[] = {0xf0, 0x7e, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0xf7};
    for (int channels : {0, 1, 3})
    {
        Block odd(64, channels);
        odd.add(juce::MidiMessage::noteOn(1, 64, (juce::uint8)100), 0);
        processor.processBlock(odd.audio, odd.midi);
    }
    run(0, {{juce::MidiMessage::noteOn(1, 64, (juce::uint8)100), 0}});

    for (int index = 0; index < kNumParameters; ++index)
        for (float bad : {-1.0f, 2.0f, 1e30f, -1e30f, std::numeric_limits<float>::quiet_NaN()})
            if (index != P::panic)
                processor.setParameter(index, bad);

    const auto block = run(4096, {{juce::MidiMessage(sysex, (int)sizeof(sysex)), 0},
                                  {juce::MidiMessage::noteOn(1, 0, (juce::uint8)127), 1},
                                  {juce::MidiMessage::noteOn(1, 127, (juce::uint8)127), 2},
                                  {juce::MidiMessage::aftertouchChange(1, 60, 50), 3},
                                  {juce::MidiMessage::programChange(1, 7), 4}});
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < block.audio.getNumSamples(); ++i)
            ASSERT_TRUE(std::isfinite(block.audio.getSample(ch, i))) << ch << " " << i;
}

TEST_F(BlockProcessing, RenderingNeverAllocates)
{
    FixedPlayHead host;
    host.info.setBpm(133.0);
    host.info.setIsPlaying(true);
    host.info.setPpqPosition(17.25);
    processor.setPlayHead(&host);
    processor.setParameter(P::voices, 1.0f);
    run(512);
    run(512);

    int heapTraffic = 0;
    for (int i = 0; i < 50; ++i)
    {
        Block block(512);
        for (int n = 0; n < 8; ++n)
            block.midi.addEvent(juce::MidiMessage::noteOn(1, 48 + n * 3 + i % 5, (juce::uint8)90), n * 60);
        block.midi.addEvent(juce::MidiMessage::pitchWheel(1, 9000 + i), 100);
        block.midi.addEvent(juce::MidiMessage::controllerEvent(1, 123, 0), 500);
        if (i == 25)
            processor.setCurrentProgram(7);
        const ScopedHeapCount heap;
        processor.processBlock(block.audio, block.midi);
        heapTraffic += heap.count();
    }
    processor.setPlayHead(nullptr);
    EXPECT_EQ(heapTraffic, 0);
}
