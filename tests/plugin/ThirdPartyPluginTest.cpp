// Plug-ins written elsewhere, loaded through the same host tool: they prove that our interface
// declarations and our host agree with code nobody here wrote.
#include "tests/plugin/HostToolRunner.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
struct ThirdParty
{
    const char* path;
    const char* name;
    int minimumParameters;
    int minimumPrograms;
};

// In a sanitizer build the host tool reports leaks; those inside code written elsewhere are not
// ours to mend, so the leak check is off for these runs.
class ThirdPartyPlugin : public testing::TestWithParam<ThirdParty>
{
protected:
    void SetUp() override { setenv("LSAN_OPTIONS", "detect_leaks=0", 1); }
    void TearDown() override { unsetenv("LSAN_OPTIONS"); }
};
}  // namespace

TEST_P(ThirdPartyPlugin, ShowsItsNamesParametersAndPrograms)
{
    const auto& p = GetParam();
    const auto run = runHostTool({"info", p.path});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.value("name"), p.name);
    EXPECT_GE(run.value("parameters").getIntValue(), p.minimumParameters);
    EXPECT_GE(run.value("programs").getIntValue(), p.minimumPrograms);
    EXPECT_TRUE(run.value("parameter 0").isNotEmpty());
    EXPECT_TRUE(run.value("flags").contains("IsSynth"));
}

TEST_P(ThirdPartyPlugin, PlaysNotesIntoSound)
{
    const auto wav = makeTemporaryFile(".wav");
    const auto run = runHostTool({"render", GetParam().path, "--out", wav.getFullPathName(), "--tail", "1"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_GT(run.value("peak").getFloatValue(), 0.01f) << run.output;
    EXPECT_GT(run.value("rms").getFloatValue(), 0.001f) << run.output;
    EXPECT_EQ(run.value("non-finite samples"), "0");
    wav.deleteFile();
}

INSTANTIATE_TEST_SUITE_P(
    Debian, ThirdPartyPlugin,
    testing::Values(ThirdParty{"/usr/lib/vst/amsynth_vst.so", "amsynth", 40, 2},
                    ThirdParty{"/usr/lib/vst/Nekobi-vst.so", "Nekobi", 5, 1}),
    [](const auto& testInfo)
    { return juce::File(testInfo.param.path).getFileNameWithoutExtension().removeCharacters("-_").toStdString(); });
