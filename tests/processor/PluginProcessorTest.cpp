// What the host sees of a fresh processor: parameters, programs, buses and their edge cases.
#include "processor/PluginProcessor.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>

namespace P = ParameterIndex;

namespace
{
// The start-up program; every index not listed starts at 0.
const std::map<int, float> kStartUpValues = {
    {P::volume, 0.408f},   {P::cutoff, 1.0f},      {P::filtercontour, 0.5f}, {P::filtersustain, 1.0f},
    {P::ampsustain, 1.0f}, {P::osc1volume, 0.8f},  {P::osc3volume, 0.8f},    {P::oscmastertune, 0.5f},
    {P::osc1tune, 0.25f},  {P::osc2tune, 0.5f},    {P::osc1finetune, 0.5f},  {P::osc2finetune, 0.5f},
    {P::lfo1amount, 0.5f}, {P::lfo2amount, 0.5f},  {P::osc1pw, 0.5f},        {P::osc1phase, 0.5f},
    {P::transpose, 0.5f},  {P::reverbdecay, 0.5f}, {P::reverblowcut, 1.0f},  {P::oscbitcrusher, 1.0f},
    {P::tab1open, 1.0f},   {P::tab4open, 1.0f},    {P::delaytime, 0.5f},     {P::delayfeedback, 0.5f},
};
}  // namespace

TEST(PluginProcessor, FreshProcessorHasTheStartUpProgram)
{
    PluginProcessor processor;
    EXPECT_EQ(processor.getName(), "ZEM-Quorveline");
    EXPECT_EQ(processor.getNumPrograms(), 256);
    EXPECT_EQ(processor.getCurrentProgram(), 0);
    EXPECT_TRUE(processor.programChangePending);
    EXPECT_EQ(processor.getNumParameters(), 92);

    for (int i = 0; i < kNumParameters; ++i)
    {
        const auto it = kStartUpValues.find(i);
        EXPECT_FLOAT_EQ(processor.getParameter(i), it == kStartUpValues.end() ? 0.0f : it->second) << "index " << i;
    }
}

// Every index of the table with a name shows it, except the four stored-only tab switches.
TEST(PluginProcessor, HostSeesTheNamesOfTheTable)
{
    PluginProcessor processor;
    int named = 0;
    for (int i = 0; i < kNumParameters; ++i)
        named += processor.getParameterName(i).isNotEmpty() ? 1 : 0;
    EXPECT_EQ(named, 82);

    for (int i : {0, 69, 70, 76, 77, 78, 79, 80, 90, 91})
        EXPECT_TRUE(processor.getParameterName(i).isEmpty()) << i;
    EXPECT_EQ(processor.getParameterName(P::envelopeeditordest1), "envelopeeditordest1");
    EXPECT_EQ(processor.getParameterName(P::delayfeedback), "delayfeedback");
}

TEST(PluginProcessor, TextsHaveTwoDecimalsForEveryKindOfParameter)
{
    PluginProcessor processor;
    EXPECT_EQ(processor.getParameterText(P::volume), "0.41");
    EXPECT_EQ(processor.getParameterText(P::cutoff), "1.00");
    processor.setParameter(P::voices, 0.2f);
    EXPECT_EQ(processor.getParameterText(P::voices), "0.20");
    processor.setParameter(P::filtertype, 0.5f);
    EXPECT_EQ(processor.getParameterText(P::filtertype), "0.50");
}

TEST(PluginProcessor, OutOfRangeIndicesAreIgnoredAndReadAsEmpty)
{
    PluginProcessor processor;
    for (int index : {-1, 92, 256, INT_MAX, INT_MIN})
    {
        EXPECT_TRUE(processor.getParameterName(index).isEmpty()) << index;
        EXPECT_EQ(processor.getParameter(index), 0.0f) << index;
        EXPECT_TRUE(processor.getParameterText(index).isEmpty()) << index;
        EXPECT_EQ(processor.getParameterDefaultValue(index), 0.0f) << index;
        processor.setParameter(index, 0.7f);
        EXPECT_EQ(processor.lastTouchedParameter, 0) << index;
    }
    for (int index : {-1, 256, 300, INT_MAX})
    {
        EXPECT_EQ(processor.getProgramName(index), "Invalid") << index;
        processor.changeProgramName(index, "x");
        processor.programChangePending = false;
        processor.setCurrentProgram(index);
        EXPECT_EQ(processor.getCurrentProgram(), 0) << index;
        EXPECT_FALSE(processor.programChangePending) << index;
    }
}

TEST(PluginProcessor, ProgramSelectionReadsTheNewValuesAtOnceAndDefersTheSound)
{
    PluginProcessor processor;
    processor.programs[3].values[P::volume] = 0.9f;
    processor.programChangePending = false;

    processor.setCurrentProgram(3);
    EXPECT_EQ(processor.getCurrentProgram(), 3);
    EXPECT_TRUE(processor.programChangePending);
    EXPECT_FLOAT_EQ(processor.getParameter(P::volume), 0.9f);

    // Selecting the current program again re-applies it.
    processor.programChangePending = false;
    processor.setCurrentProgram(3);
    EXPECT_TRUE(processor.programChangePending);
}

TEST(PluginProcessor, ProgramNamesShowStalkingAsWtfButStoreItUnchanged)
{
    PluginProcessor processor;
    processor.changeProgramName(7, "Stalking the Stalking");
    EXPECT_EQ(processor.getProgramName(7), "WTF the WTF");
    EXPECT_EQ(processor.programs[7].name, "Stalking the Stalking");

    processor.setCurrentProgram(7);
    juce::MemoryBlock chunk;
    processor.getStateInformation(chunk);
    const auto xml = juce::String::fromUTF8(static_cast<const char*>(chunk.getData()) + 8, (int)chunk.getSize() - 9);
    EXPECT_TRUE(xml.contains("programname=\"Stalking the Stalking\""));

    processor.changeProgramName(7, "stalking");  // the replacement is case-sensitive
    EXPECT_EQ(processor.getProgramName(7), "stalking");
}

TEST(PluginProcessor, DefaultValuesFollowProgramZero)
{
    PluginProcessor processor;
    EXPECT_FLOAT_EQ(processor.getParameterDefaultValue(P::volume), 0.408f);
    processor.setCurrentProgram(4);
    processor.setParameter(P::volume, 0.1f);
    EXPECT_FLOAT_EQ(processor.getParameterDefaultValue(P::volume), 0.408f);
    processor.programs[0].values[P::volume] = 0.25f;
    EXPECT_FLOAT_EQ(processor.getParameterDefaultValue(P::volume), 0.25f);
}

TEST(PluginProcessor, TabSwitchesAreSharedByAllPrograms)
{
    PluginProcessor processor;
    processor.setCurrentProgram(5);
    processor.setParameter(P::tab3open, 1.0f);
    for (const auto& program : processor.programs)
        EXPECT_EQ(program.values[P::tab3open], 1.0f);

    // Any other parameter changes the current program only.
    processor.setParameter(P::resonance, 0.3f);
    EXPECT_FLOAT_EQ(processor.programs[5].values[P::resonance], 0.3f);
    EXPECT_FLOAT_EQ(processor.programs[4].values[P::resonance], 0.0f);
}

TEST(PluginProcessor, ValuesAreStoredUnclampedAndCountedUpToOneHundred)
{
    PluginProcessor processor;
    processor.setParameter(P::cutoff, 1.5f);
    EXPECT_FLOAT_EQ(processor.getParameter(P::cutoff), 1.5f);
    EXPECT_EQ(processor.lastTouchedParameter, P::cutoff);

    for (int i = 0; i < 150; ++i)
        processor.setParameter(P::resonance, 0.5f);
    EXPECT_EQ(processor.changeCounts[P::resonance], 100);
    EXPECT_EQ(processor.changeCounts[P::cutoff], 1);
}

TEST(PluginProcessor, StereoOutputWithStereoOrNoInput)
{
    PluginProcessor processor;
    EXPECT_EQ(processor.getBus(true, 0)->getName(), "Input");
    EXPECT_EQ(processor.getBus(false, 0)->getName(), "Output Master");
    EXPECT_EQ(processor.getTotalNumInputChannels(), 2);
    EXPECT_EQ(processor.getTotalNumOutputChannels(), 2);
    EXPECT_EQ(processor.getOutputChannelName(0), "1");
    EXPECT_EQ(processor.getOutputChannelName(1), "2");
    EXPECT_EQ(processor.getInputChannelName(1), "2");
    EXPECT_TRUE(processor.isOutputChannelStereoPair(0));

    const auto stereo = juce::AudioChannelSet::stereo();
    const auto mono = juce::AudioChannelSet::mono();
    const auto none = juce::AudioChannelSet::disabled();
    struct Case
    {
        juce::AudioChannelSet in, out;
        bool supported;
    };
    for (const auto& c : {Case{stereo, stereo, true}, Case{none, stereo, true}, Case{mono, stereo, false},
                          Case{stereo, mono, false}, Case{stereo, none, false}})
    {
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add(c.in);
        layout.outputBuses.add(c.out);
        EXPECT_EQ(processor.isBusesLayoutSupported(layout), c.supported)
            << c.in.getDescription() << " -> " << c.out.getDescription();
    }
}

TEST(PluginProcessor, IdentityAndCapabilities)
{
    PluginProcessor processor;
    EXPECT_TRUE(processor.acceptsMidi());
    EXPECT_FALSE(processor.producesMidi());
    EXPECT_TRUE(processor.hasEditor());
    const std::unique_ptr<juce::AudioProcessorEditor> editor(processor.createEditor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->getWidth(), 675);
    EXPECT_EQ(editor->getHeight(), 660);
    EXPECT_EQ(processor.getTailLengthSeconds(), 0.0);
    EXPECT_FALSE(processor.supportsDoublePrecisionProcessing());
    for (int i = 0; i < kNumParameters; ++i)
        EXPECT_TRUE(processor.isParameterAutomatable(i));
}
