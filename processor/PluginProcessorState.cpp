// Program documents: writing and reading the XML format of host chunks, the factory bank and presets.
#include "processor/PluginProcessor.h"

#include "resources/FactoryBankData.h"

#include <cmath>

namespace
{
constexpr const char* kWriterVersion = "1.7";

namespace P = ParameterIndex;

// Before 1.6 the discrete parameters were stored as step numbers 1..n.
struct StepParameter
{
    int index;
    int numSteps;
};

constexpr StepParameter kStepNumberedBefore16[] = {
    {P::voices, 6},
    {P::portamentomode, 3},
    {P::lfo1destination, 8},
    {P::lfo2destination, 8},
    {P::freeaddestination, 6},
    {P::filtertype, 12},
    {P::osc1waveform, 3},
    {P::osc2waveform, 5},
    {P::envelopeeditordest1, 8},
    {P::envelopeeditorspeed, 6},
};

void convertOlderVersion(std::array<float, kNumParameters>& values, float version)
{
    if (version < 1.1f)
    {
        // Before 1.1 the waveforms were normalised over fewer choices; map them to step numbers.
        auto& w1 = values[P::osc1waveform];
        w1 = w1 < 0.499f ? 1.0f : (w1 < 0.998f ? 2.0f : 3.0f);
        auto& w2 = values[P::osc2waveform];
        w2 = w2 < 0.33233336f ? 1.0f : (w2 < 0.6646667f ? 2.0f : (w2 < 0.9970001f ? 3.0f : 4.0f));
    }

    if (version < 1.6f)
        for (const auto& p : kStepNumberedBefore16)
            values[(size_t)p.index] = (values[(size_t)p.index] - 1.0f) / (float)(p.numSteps - 1);

    if (version < 1.7f)
    {
        // The filter menu grew from ten to twelve entries; keep the entry, re-express it.
        auto& type = values[P::filtertype];
        type = (std::floor(type * 9.0f + 1.0f + 0.5f) - 1.0f) / 11.0f;
    }
}

// Reads the stored parameter attributes, taking each table default where one is missing. Documents
// written by this plug-in (the factory bank among them) list the attributes in the table's order,
// so each is matched by position first and searched for by name only when the order differs; a
// lookup by name for each of 86 attributes made this most of the plug-in's start-up time. As with
// a lookup by name, the first of two equal attributes wins.
void readStoredValues(const juce::XmlElement& element, std::array<float, kNumParameters>& values)
{
    constexpr int n = ParameterTable::kNumStoredAttributes;
    const auto* table = ParameterTable::getStoredAttributes();
    std::array<bool, n> found{};
    int expected = 0;

    const int count = element.getNumAttributes();
    for (int i = 0; i < count; ++i)
    {
        const auto& name = element.getAttributeName(i);
        int match = -1;
        if (expected < n && !found[(size_t)expected] && name == table[expected].name)
            match = expected;
        for (int t = 0; t < n && match < 0; ++t)
            if (!found[(size_t)t] && name == table[t].name)
                match = t;
        if (match < 0)
            continue;
        found[(size_t)match] = true;
        expected = match + 1;
        values[(size_t)table[match].index] = (float)element.getAttributeValue(i).getDoubleValue();
    }

    for (int t = 0; t < n; ++t)
        if (!found[(size_t)t])
            values[(size_t)table[t].index] = table[t].defaultWhenMissing;
}

const juce::XmlElement* findFirstNamedIgnoringCase(const juce::XmlElement* first, juce::StringRef name)
{
    for (auto* e = first; e != nullptr; e = e->getNextElement())
        if (e->getTagName().equalsIgnoreCase(name))
            return e;
    return nullptr;
}

SplinePointList readSplinePoints(const juce::XmlElement& program)
{
    const auto* element = findFirstNamedIgnoringCase(program.getFirstChildElement(), "splinePoints");
    if (element == nullptr)
        return SplinePointList::makeDefault();

    SplinePointList list;
    for (auto* e : element->getChildIterator())
    {
        auto& point =
            list.add((float)e->getDoubleAttribute("centerPointX"), (float)e->getDoubleAttribute("centerPointY"));
        point.setControlPointLeft((float)e->getDoubleAttribute("controlPointLeftX"),
                                  (float)e->getDoubleAttribute("controlPointLeftY"));
        point.setControlPointRight((float)e->getDoubleAttribute("controlPointRightX"),
                                   (float)e->getDoubleAttribute("controlPointRightY"));
        point.isStartPoint = e->getBoolAttribute("isStartPoint");
        point.isEndPoint = e->getBoolAttribute("isEndPoint");
    }
    list.linkEnds();
    return list;
}
}  // namespace

void PluginProcessor::getStateInformation(juce::MemoryBlock& destData) { getCurrentProgramStateInformation(destData); }

void PluginProcessor::setStateInformation(const void* data, int sizeInBytes)
{
    setCurrentProgramStateInformation(data, sizeInBytes);
}

void PluginProcessor::getCurrentProgramStateInformation(juce::MemoryBlock& destData)
{
    juce::XmlElement root("zem");
    root.setAttribute("curprogram", 0);
    root.setAttribute("version", kWriterVersion);

    auto* programsElement = root.createNewChildElement("programs");
    getXmlPrograms(programsElement, currentProgram);

    auto* midimap = root.createNewChildElement("midimap");
    const auto& map = programs[0].controllerMap;
    for (int controller = 0; controller < kNumControllers; ++controller)
    {
        if (map[(size_t)controller] == 0)
            continue;
        auto* entry = midimap->createNewChildElement("map");
        entry->setAttribute("param", map[(size_t)controller]);
        entry->setAttribute("controllernumber", controller);
    }

    destData.reset();
    copyXmlToBinary(root, destData);
}

void PluginProcessor::setCurrentProgramStateInformation(const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 0)
        return;
    if (auto root = getXmlFromBinary(data, sizeInBytes))
        setStateInformationFromXml(root.get());
}

void PluginProcessor::getXmlPrograms(juce::XmlElement* parent, int index) const
{
    if (parent == nullptr || index < 0 || index >= kNumPrograms)
        return;

    const auto& program = programs[(size_t)index];
    auto* element = parent->createNewChildElement("program");
    element->setAttribute("programname", program.name);

    const auto* attributes = ParameterTable::getStoredAttributes();
    for (int i = 0; i < ParameterTable::kNumStoredAttributes; ++i)
        element->setAttribute(attributes[i].name, (double)program.values[(size_t)attributes[i].index]);

    auto* points = element->createNewChildElement("splinePoints");
    for (int i = 0; i < program.splinePoints.size(); ++i)
    {
        const auto& p = program.splinePoints[i];
        auto* e = points->createNewChildElement("splinePoint");
        e->setAttribute("isStartPoint", p.isStartPoint ? 1 : 0);
        e->setAttribute("isEndPoint", p.isEndPoint ? 1 : 0);
        e->setAttribute("centerPointX", (double)p.centerPoint.x);
        e->setAttribute("centerPointY", (double)p.centerPoint.y);
        e->setAttribute("controlPointLeftX", (double)p.controlPointLeft.x);
        e->setAttribute("controlPointLeftY", (double)p.controlPointLeft.y);
        e->setAttribute("controlPointRightX", (double)p.controlPointRight.x);
        e->setAttribute("controlPointRightY", (double)p.controlPointRight.y);
    }
}

void PluginProcessor::setXmlPrograms(const juce::XmlElement* element, int index, float version)
{
    if (element == nullptr || !element->getTagName().equalsIgnoreCase("program") || index < 0 || index >= kNumPrograms)
        return;

    auto& program = programs[(size_t)index];
    program.name = element->getStringAttribute("programname", "Not Saved");

    readStoredValues(*element, program.values);

    convertOlderVersion(program.values, version);
    program.splinePoints = readSplinePoints(*element);
}

void PluginProcessor::restoreMidiMapping(const juce::XmlElement* first)
{
    const auto* midimap = findFirstNamedIgnoringCase(first, "midimap");
    if (midimap == nullptr)
        return;

    for (auto* entry : midimap->getChildIterator())
    {
        if (!entry->hasAttribute("controllernumber"))
            continue;
        const int controller = entry->getIntAttribute("controllernumber");
        if (controller < 1 || controller >= kNumControllers)
            continue;
        const int parameter = entry->getIntAttribute("param", 0);
        // Every program carries the same map.
        for (auto& program : programs)
            program.controllerMap[(size_t)controller] = parameter;
    }
}

void PluginProcessor::setStateInformationFromXml(const juce::XmlElement* root)
{
    if (root == nullptr || !root->getTagName().equalsIgnoreCase("zem"))
        return;

    const float version = root->hasAttribute("version") ? (float)root->getDoubleAttribute("version") : 1.0f;

    const auto* programsElement = root->getFirstChildElement();
    if (programsElement == nullptr || !programsElement->getTagName().equalsIgnoreCase("programs"))
        return;

    // The audio thread copies program data when it applies a program; keep it from seeing a half-read one.
    const juce::ScopedLock lock(getCallbackLock());

    if (programsElement->getNumChildElements() == 1)
    {
        // A saved chunk holds one program: it always comes back as program 0.
        setXmlPrograms(programsElement->getFirstChildElement(), 0, version);
        restoreMidiMapping(programsElement);
        setCurrentProgram(0);
        return;
    }

    const int requested = root->getIntAttribute("curprogram", 1);
    int j = 0;
    for (auto* child : programsElement->getChildIterator())
        setXmlPrograms(child, j++, version);
    restoreMidiMapping(programsElement);
    // An index outside the bank would leave no valid current program: keep the one we have.
    setCurrentProgram(juce::isPositiveAndBelow(requested, kNumPrograms) ? requested : currentProgram);
}

void PluginProcessor::loadFactoryBank()
{
    const auto text = juce::String::fromUTF8(FactoryBankData::text, FactoryBankData::size);
    if (auto root = juce::parseXML(text))
        setStateInformationFromXml(root.get());
}
