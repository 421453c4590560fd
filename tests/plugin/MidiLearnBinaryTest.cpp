// A learned controller through the real binary: it moves the parameter, the host records the change
// as automation, and the binding survives a saved and restored state.
#include "tests/plugin/HostToolRunner.h"

#include <gtest/gtest.h>
#include <juce_audio_basics/juce_audio_basics.h>

namespace
{
const juce::String kPlugin{QUORVELINE_PLUGIN_BINARY};

juce::File writeControllerRamp()
{
    juce::MidiMessageSequence track;
    track.addEvent(juce::MidiMessage::noteOn(1, 57, (juce::uint8)100), 480);
    for (int i = 0; i <= 16; ++i)
        track.addEvent(juce::MidiMessage::controllerEvent(1, 74, juce::jmin(127, i * 8)), 480 + i * 60);
    track.addEvent(juce::MidiMessage::noteOff(1, 57), 480 * 4);
    track.updateMatchedPairs();

    juce::MidiFile file;
    file.setTicksPerQuarterNote(480);
    file.addTrack(track);
    const auto path = juce::File::createTempFile(".mid");
    juce::FileOutputStream out(path);
    file.writeTo(out);
    return path;
}

juce::String chunkXml(const juce::File& chunk)
{
    juce::MemoryBlock data;
    chunk.loadFileAsData(data);
    return data.getSize() > 9
               ? juce::String::fromUTF8(static_cast<const char*>(data.getData()) + 8, (int)data.getSize() - 9)
               : juce::String();
}
}  // namespace

TEST(MidiLearnBinary, LearnedControllerIsReportedAsAutomationAndSaved)
{
    const auto midi = writeControllerRamp();
    const auto log = juce::File::createTempFile(".log");
    const auto saved = juce::File::createTempFile(".chunk");
    const auto restored = juce::File::createTempFile(".chunk");
    const auto wav = juce::File::createTempFile(".wav");

    // Once the program has settled: learn on, then touch the cutoff, which becomes the target the
    // controller binds to when it moves from 0.5 s on.
    const auto run =
        runHostTool({"render", kPlugin, "--midi", midi.getFullPathName(), "--realtime", "--automate", "0.1:70=1",
                     "--automate", "0.2:3=0.25", "--automation-log", log.getFullPathName(), "--save-state",
                     saved.getFullPathName(), "--out", wav.getFullPathName(), "--tail", "0.5"});
    ASSERT_EQ(run.exitCode, 0) << run.output;

    juce::StringArray cutoffChanges;
    for (const auto& line : juce::StringArray::fromLines(log.loadFileAsString()))
        if (line.startsWith("3 ") && !line.endsWith("begin") && !line.endsWith("end"))
            cutoffChanges.add(line);
    EXPECT_GE(cutoffChanges.size(), 10) << log.loadFileAsString();
    EXPECT_EQ(cutoffChanges[cutoffChanges.size() - 1], "3 1.000000");

    EXPECT_TRUE(chunkXml(saved).contains(R"(<map param="3" controllernumber="74"/>)")) << chunkXml(saved);

    const auto second =
        runHostTool({"state", kPlugin, "--restore", saved.getFullPathName(), "--save", restored.getFullPathName()});
    ASSERT_EQ(second.exitCode, 0) << second.output;
    EXPECT_TRUE(chunkXml(restored).contains(R"(<map param="3" controllernumber="74"/>)"));

    for (const auto& f : {midi, log, saved, restored, wav})
        f.deleteFile();
}
