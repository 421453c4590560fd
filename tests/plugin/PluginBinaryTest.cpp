// ZEM-Quorveline.so as a host sees it through the VST2 entry point.
#include "tests/plugin/HostToolRunner.h"

#include <gtest/gtest.h>

namespace
{
const juce::String kPlugin{QUORVELINE_PLUGIN_BINARY};
}  // namespace

TEST(PluginBinary, FileIsNamedAfterTheProduct) { EXPECT_EQ(juce::File(kPlugin).getFileName(), "ZEM-Quorveline.so"); }

TEST(PluginBinary, ReportsItsIdentity)
{
    const auto run = runHostTool({"info", kPlugin});
    ASSERT_EQ(run.exitCode, 0) << run.output;

    struct Expected
    {
        const char* key;
        const char* value;
    };
    for (const auto& e :
         {Expected{"name", "ZEM-Quorveline"}, Expected{"product", "ZEM-Quorveline"},
          Expected{"vendor", "ZEM-Kelvorast"}, Expected{"vendor version", "0x40700"}, Expected{"vst version", "2400"},
          Expected{"unique id", "zqvm (0x7a71766d)"}, Expected{"category", "synth (2)"},
          Expected{"flags", "131 (HasEditor CanReplacing ProgramChunks IsSynth)"}, Expected{"inputs", "2"},
          Expected{"outputs", "2"}, Expected{"latency", "0"}, Expected{"programs", "256"}, Expected{"parameters", "92"},
          Expected{"program 0", "Init"}})
        EXPECT_EQ(run.value(e.key), e.value) << e.key;

    const auto parameters = run.linesStartingWith("parameter ");
    ASSERT_EQ(parameters.size(), 92);
    int named = 0;
    for (const auto& line : parameters)
        named += line.fromFirstOccurrenceOf(": ", false, false).startsWith(" = ") ? 0 : 1;
    EXPECT_EQ(named, 82);
    EXPECT_EQ(run.value("parameter 1"), "volume = 0.41 [0.408]");
    EXPECT_EQ(run.value("parameter 92"), "");
    EXPECT_EQ(run.linesStartingWith("program ").size(), 256);
}

TEST(PluginBinary, StateChunkRoundTripsByteForByte)
{
    const auto first = makeTemporaryFile(".chunk");
    const auto second = makeTemporaryFile(".chunk");

    auto run = runHostTool({"state", kPlugin, "--program", "3", "--save", first.getFullPathName()});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    run = runHostTool({"state", kPlugin, "--restore", first.getFullPathName(), "--save", second.getFullPathName()});
    ASSERT_EQ(run.exitCode, 0) << run.output;

    juce::MemoryBlock a, b;
    ASSERT_TRUE(first.loadFileAsData(a));
    ASSERT_TRUE(second.loadFileAsData(b));
    EXPECT_GT(a.getSize(), 1000u);
    EXPECT_EQ(a, b);
    EXPECT_TRUE(juce::String::fromUTF8(static_cast<const char*>(a.getData()) + 8, (int)a.getSize() - 9)
                    .contains("programname=\"Init 003\""));
    first.deleteFile();
    second.deleteFile();
}

TEST(PluginBinary, RendersTheDemoPhraseToAWavFile)
{
    const auto wav = makeTemporaryFile(".wav");
    const auto run = runHostTool({"render", kPlugin, "--out", wav.getFullPathName(), "--block", "256"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.value("non-finite samples"), "0");
    EXPECT_TRUE(run.value("program").startsWith("0 Init"));
    EXPECT_GT(wav.getSize(), 44100 * 8);
    wav.deleteFile();
}
