// The program document and host chunk: round trips, old-version conversions and hostile input.
#include "processor/PluginProcessor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

namespace P = ParameterIndex;

namespace
{
juce::MemoryBlock wrapChunk(const juce::String& xml)
{
    juce::MemoryBlock chunk;
    juce::MemoryOutputStream out(chunk, false);
    out.writeInt(0x21324356);
    out.writeInt((int)xml.getNumBytesAsUTF8());
    out.write(xml.toRawUTF8(), xml.getNumBytesAsUTF8());
    out.writeByte(0);
    out.flush();
    return chunk;
}

void restore(PluginProcessor& processor, const juce::String& xml)
{
    const auto chunk = wrapChunk(xml);
    processor.setStateInformation(chunk.getData(), (int)chunk.getSize());
}

juce::String xmlOf(const juce::MemoryBlock& chunk)
{
    return chunk.getSize() > 8
               ? juce::String::fromUTF8(static_cast<const char*>(chunk.getData()) + 8, (int)chunk.getSize() - 9)
               : juce::String();
}

juce::MemoryBlock save(PluginProcessor& processor)
{
    juce::MemoryBlock chunk;
    processor.getStateInformation(chunk);
    return chunk;
}

void expectSamePrograms(const Program& a, const Program& b)
{
    EXPECT_EQ(a.name, b.name);
    const auto* attributes = ParameterTable::getStoredAttributes();
    for (int i = 0; i < ParameterTable::kNumStoredAttributes; ++i)
        EXPECT_EQ(a.values[(size_t)attributes[i].index], b.values[(size_t)attributes[i].index]) << attributes[i].name;
    ASSERT_EQ(a.splinePoints.size(), b.splinePoints.size());
    for (int i = 0; i < a.splinePoints.size(); ++i)
    {
        const auto &p = a.splinePoints[i], &q = b.splinePoints[i];
        EXPECT_EQ(p.centerPoint, q.centerPoint);
        EXPECT_EQ(p.controlPointLeft, q.controlPointLeft);
        EXPECT_EQ(p.controlPointRight, q.controlPointRight);
        EXPECT_EQ(p.isStartPoint, q.isStartPoint);
        EXPECT_EQ(p.isEndPoint, q.isEndPoint);
    }
}

const juce::String kOneProgram =
    R"(<zem version="1.7"><programs><program programname="One" volume="0.3"/></programs></zem>)";
}  // namespace

TEST(ProgramState, ChunkHasMagicLengthSingleLineXmlAndZero)
{
    PluginProcessor processor;
    const auto chunk = save(processor);
    const auto* bytes = static_cast<const char*>(chunk.getData());
    ASSERT_GT(chunk.getSize(), 9u);
    EXPECT_EQ(std::memcmp(bytes, "VC2!", 4), 0);
    const auto length = juce::ByteOrder::littleEndianInt(bytes + 4);
    EXPECT_EQ(chunk.getSize(), 8u + length + 1u);
    EXPECT_EQ(bytes[chunk.getSize() - 1], 0);
    const juce::String xml = juce::String::fromUTF8(bytes + 8, (int)length);
    EXPECT_TRUE(xml.startsWith("<?xml"));
    EXPECT_FALSE(xml.containsChar('\n'));
    EXPECT_TRUE(xml.contains("<zem curprogram=\"0\" version=\"1.7\">"));
}

TEST(ProgramState, SavedProgramComesBackAsProgramZeroOfAFreshInstance)
{
    PluginProcessor source;
    source.setCurrentProgram(12);
    source.changeProgramName(12, "Twelve & <friends>");
    for (int i = 0; i < ParameterTable::kNumStoredAttributes; ++i)
        source.programs[12].values[(size_t)ParameterTable::getStoredAttributes()[i].index] =
            0.001f * (float)(i + 1) + 0.3f;
    auto& points = source.programs[12].splinePoints;
    points = SplinePointList::makeDefault();
    points.add(0.25f, 0.8f).setControlPointLeft(0.2f, 0.1f);
    points.sort();
    source.programs[0].controllerMap[7] = P::cutoff;

    const auto chunk = save(source);

    PluginProcessor target;
    target.setCurrentProgram(40);
    target.setStateInformation(chunk.getData(), (int)chunk.getSize());
    EXPECT_EQ(target.getCurrentProgram(), 0);
    expectSamePrograms(target.programs[0], source.programs[12]);
    for (const auto& program : target.programs)
        EXPECT_EQ(program.controllerMap[7], P::cutoff);

    // The restore leaves the program it came from alone.
    const Program before = source.programs[12];
    source.setStateInformation(chunk.getData(), (int)chunk.getSize());
    expectSamePrograms(source.programs[12], before);

    // And a second save of the restored state is the same chunk, byte for byte.
    EXPECT_EQ(save(target), chunk);
}

TEST(ProgramState, SeveralProgramsSelectCurProgramOrOneWhenMissing)
{
    PluginProcessor processor;
    restore(processor,
            R"(<zem version="1.7"><programs><program programname="A"/><program programname="B"/></programs></zem>)");
    EXPECT_EQ(processor.getCurrentProgram(), 1);
    EXPECT_EQ(processor.programs[0].name, "A");
    EXPECT_EQ(processor.programs[1].name, "B");

    restore(processor, R"(<zem curprogram="0" version="1.7"><programs><program/><program/></programs></zem>)");
    EXPECT_EQ(processor.getCurrentProgram(), 0);
    EXPECT_EQ(processor.programs[0].name, "Not Saved");
}

TEST(ProgramState, MissingAttributesTakeTheReaderDefaults)
{
    PluginProcessor processor;
    restore(processor, kOneProgram);
    const auto& values = processor.programs[0].values;
    EXPECT_FLOAT_EQ(values[P::volume], 0.3f);
    EXPECT_FLOAT_EQ(values[P::voices], 1.0f);  // a 1.7 document reads the old step default as "6 voices"
    EXPECT_FLOAT_EQ(values[P::reverblowcut], 0.1f);
    EXPECT_FLOAT_EQ(values[P::tab2open], 1.0f);
    EXPECT_FLOAT_EQ(values[P::delayfeedback], 0.5f);
    // No splinePoints element: the flat default curve, its ends linked.
    const auto& points = processor.programs[0].splinePoints;
    ASSERT_EQ(points.size(), 2);
    EXPECT_TRUE(points[0].isStartPoint);
    EXPECT_TRUE(points[1].isEndPoint);
    EXPECT_EQ(points[0].linkedPoint, &points[1]);
}

TEST(ProgramState, AttributesAreReadInAnyOrderAndTheFirstOfTwoWins)
{
    PluginProcessor processor;
    restore(processor, R"(<zem version="1.7"><programs><program delayfeedback="0.1" programname="R" cutoff="0.2" )"
                       R"(volume="0.3" unknown="5" volume="0.9" osc1volume="0.4"/></programs></zem>)");
    const auto& values = processor.programs[0].values;
    EXPECT_FLOAT_EQ(values[P::delayfeedback], 0.1f);
    EXPECT_FLOAT_EQ(values[P::cutoff], 0.2f);
    EXPECT_FLOAT_EQ(values[P::volume], 0.3f);
    EXPECT_FLOAT_EQ(values[P::osc1volume], 0.4f);
    EXPECT_FLOAT_EQ(values[P::resonance], 0.0f);
    EXPECT_FLOAT_EQ(values[P::reverblowcut], 0.1f);
}

TEST(ProgramState, OlderVersionsAreConverted)
{
    struct Case
    {
        const char* version;
        const char* attributes;
        int index;
        float expected;
    };
    const Case cases[] = {
        {"1.0", R"(osc2waveform="0.5")", P::osc2waveform, 0.25f},
        {"1.0", R"(osc1waveform="0.5")", P::osc1waveform, 0.5f},
        {"1.0", R"(voices="6")", P::voices, 1.0f},
        {"1.0", R"(filtertype="5")", P::filtertype, 3.0f / 11.0f},
        {"1.5", R"(portamentomode="3")", P::portamentomode, 1.0f},
        {"1.5", R"(envelopeeditorspeed="2")", P::envelopeeditorspeed, 0.2f},
        {"1.6", R"(filtertype="0.333333343")", P::filtertype, 3.0f / 11.0f},
        {"1.6", R"(filtertype="1")", P::filtertype, 9.0f / 11.0f},
        {"1.6", R"(voices="1")", P::voices, 1.0f},
        {"1.7", R"(filtertype="0.333333343")", P::filtertype, 0.333333343f},
        {nullptr, R"(voices="6")", P::voices, 1.0f},  // no version reads as 1.0
    };

    for (const auto& c : cases)
    {
        PluginProcessor processor;
        const juce::String version =
            c.version != nullptr ? juce::String("version=\"") + c.version + "\"" : juce::String();
        restore(processor, "<zem " + version + "><programs><program " + c.attributes + "/></programs></zem>");
        EXPECT_NEAR(processor.programs[0].values[(size_t)c.index], c.expected, 1e-6f)
            << c.version << " " << c.attributes;
    }
}

TEST(ProgramState, SplinePointsAreReadClampedAndLinked)
{
    PluginProcessor processor;
    restore(
        processor,
        R"(<zem version="1.7"><programs><program><splinePoints>)"
        R"(<splinePoint isStartPoint="true" centerPointX="0.5" centerPointY="2" controlPointLeftX="0.9" controlPointLeftY="0.5"/>)"
        R"(</splinePoints></program></programs></zem>)");
    const auto& points = processor.programs[0].splinePoints;
    ASSERT_EQ(points.size(), 1);
    EXPECT_EQ(points[0].linkedPoint, &points[0]);
    EXPECT_TRUE(points[0].isStartPoint);
    EXPECT_FALSE(points[0].isEndPoint);
    EXPECT_EQ(points[0].centerPoint, juce::Point<float>(0.5f, 1.0f));
    EXPECT_EQ(points[0].controlPointLeft, juce::Point<float>(0.5f, 0.5f));   // kept left of the centre
    EXPECT_EQ(points[0].controlPointRight, juce::Point<float>(0.5f, 0.0f));  // missing attributes read 0

    restore(processor, R"(<ZEM version="1.7"><programs><program><SPLINEPOINTS/></program></programs></ZEM>)");
    EXPECT_TRUE(processor.programs[0].splinePoints.isEmpty());
}

TEST(ProgramState, ControllerMapAddsEntriesBetweenOneAnd255)
{
    PluginProcessor processor;
    processor.programs[0].controllerMap[0] = P::resonance;  // written, never read back
    const auto chunk = save(processor);
    EXPECT_TRUE(xmlOf(chunk).contains(R"(<map param="4" controllernumber="0"/>)"));

    PluginProcessor target;
    for (auto& program : target.programs)
        program.controllerMap[20] = P::volume;
    restore(target, R"(<zem version="1.7"><programs><program/></programs><midimap>)"
                    R"(<map param="3" controllernumber="21"/><x param="200" controllernumber="22"/>)"
                    R"(<map param="5" controllernumber="0"/><map param="5" controllernumber="256"/><map param="5"/>)"
                    R"(<map controllernumber="23"/></midimap></zem>)");
    for (const auto& program : target.programs)
    {
        EXPECT_EQ(program.controllerMap[20], P::volume);  // restoring adds, it does not clear
        EXPECT_EQ(program.controllerMap[21], P::cutoff);
        EXPECT_EQ(program.controllerMap[22], 200);
        EXPECT_EQ(program.controllerMap[23], 0);
        EXPECT_EQ(program.controllerMap[0], 0);
    }
}

// Hostile chunks: none may crash or read out of bounds, and the current program stays valid. Each
// case says whether program 0 must change (`changes`) or everything must stay as it was.
TEST(ProgramState, HostileChunksNeverBreakTheProcessor)
{
    const auto validChunk = wrapChunk(kOneProgram);
    auto truncated = validChunk;
    truncated.setSize(validChunk.getSize() / 2);
    auto wrongMagic = validChunk;
    static_cast<char*>(wrongMagic.getData())[0] = 'X';
    auto longLength = validChunk;
    static_cast<juce::uint32*>(longLength.getData())[1] = 0x7fffffff;
    auto hugeLength = validChunk;
    static_cast<juce::uint32*>(hugeLength.getData())[1] = 0xffffffff;

    juce::String manyPrograms = "<zem curprogram=\"299\" version=\"1.7\"><programs>";
    for (int i = 0; i < 300; ++i)
        manyPrograms << "<program programname=\"P" << i << "\"/>";
    manyPrograms << "</programs></zem>";

    struct Case
    {
        const char* what;
        juce::MemoryBlock bytes;
        bool changes;
        std::function<void(PluginProcessor&)> check;
    };
    const auto volumeIs = [](float expected)
    { return [expected](PluginProcessor& p) { EXPECT_FLOAT_EQ(p.programs[0].values[P::volume], expected); }; };
    const auto none = [](PluginProcessor&) {};

    const Case cases[] = {
        {"empty", {}, false, none},
        {"three bytes", juce::MemoryBlock("VC2", 3), false, none},
        {"truncated", truncated, false, none},
        {"wrong magic", wrongMagic, false, none},
        {"length beyond the data", longLength, true, volumeIs(0.3f)},
        {"negative length", hugeLength, false, none},
        {"not xml", wrapChunk("this is not <xml"), false, none},
        {"another root", wrapChunk(R"(<bank><programs><program volume="0.1"/></programs></bank>)"), false, none},
        {"programs not first", wrapChunk(R"(<zem><midimap/><programs><program volume="0.1"/></programs></zem>)"), false,
         none},
        {"300 programs", wrapChunk(manyPrograms), true,
         [](PluginProcessor& p)
         {
             EXPECT_EQ(p.programs[255].name, "P255");
             EXPECT_EQ(p.getCurrentProgram(), 0);  // 299 is no slot: the current program stays
         }},
        {"curprogram -5", wrapChunk(R"(<zem curprogram="-5"><programs><program/><program/></programs></zem>)"), true,
         [](PluginProcessor& p) { EXPECT_EQ(p.getCurrentProgram(), 0); }},
        {"curprogram 9999", wrapChunk(R"(<zem curprogram="9999"><programs><program/><program/></programs></zem>)"),
         true, [](PluginProcessor& p) { EXPECT_EQ(p.getCurrentProgram(), 0); }},
        {"words for numbers",
         wrapChunk(R"(<zem version="x"><programs><program volume="loud" cutoff="0.5abc"/></programs></zem>)"), true,
         [](PluginProcessor& p)
         {
             EXPECT_EQ(p.programs[0].values[P::volume], 0.0f);
             EXPECT_FLOAT_EQ(p.programs[0].values[P::cutoff], 0.5f);
         }},
        {"nan and huge",
         wrapChunk(
             R"(<zem version="1.7"><programs><program volume="1e30" cutoff="nan" resonance="1e300"/></programs></zem>)"),
         true, [](PluginProcessor& p) { EXPECT_FLOAT_EQ(p.programs[0].values[P::volume], 1e30f); }},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        PluginProcessor processor;
        processor.changeProgramName(0, "before");
        const auto before = save(processor);
        processor.setStateInformation(c.bytes.getData(), (int)c.bytes.getSize());
        processor.setCurrentProgramStateInformation(c.bytes.getData(), (int)c.bytes.getSize());

        EXPECT_TRUE(juce::isPositiveAndBelow(processor.getCurrentProgram(), 256));
        EXPECT_EQ(processor.programs[0].name != "before", c.changes);
        if (!c.changes)
        {
            EXPECT_EQ(save(processor), before);
        }
        c.check(processor);
    }

    PluginProcessor processor;
    processor.setStateInformation(nullptr, 100);
    processor.setStateInformation(validChunk.getData(), -1);
    EXPECT_EQ(processor.programs[0].name, "Init");
}
