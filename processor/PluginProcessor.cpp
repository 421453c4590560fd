// Processor identity, programs and parameter queries.
#include "processor/PluginProcessor.h"

#include "editor/PluginEditor.h"
#include "engine/SynthEngine.h"

namespace
{
const juce::String kPluginName{"ZEM-Quorveline"};

bool isValidProgram(int index) noexcept { return index >= 0 && index < kNumPrograms; }
}  // namespace

PluginProcessor::PluginProcessor()
    : juce::AudioProcessor(BusesProperties()
                               .withInput("Input", juce::AudioChannelSet::stereo(), true)
                               .withOutput("Output Master", juce::AudioChannelSet::stereo(), true))
    , programs((size_t)kNumPrograms)
{
    lastVoices = -1.0f;
    lastSampleRate = getSampleRate() > 0.0 ? (float)getSampleRate() : 44100.0f;
    engine = std::make_unique<SynthEngine>();
    engine->initialize(lastSampleRate);

    currentProgram = 0;
    loadFactoryBank();
    setCurrentProgram(currentProgram);

    programs[(size_t)currentProgram].values[ParameterIndex::midiLearn] = 0.0f;
    lastTouchedParameter = 0;

    notifier = std::make_unique<AutomationNotifier>(*this);
    notifier->startThread();

    changeCounts.fill(0);
    programChangePending = true;
    lastBpm = 120.0f;
}

PluginProcessor::~PluginProcessor()
{
    // Stop the notifier before the programs and the engine it may touch go away.
    notifier.reset();
}

const juce::String PluginProcessor::getName() const { return kPluginName; }

double PluginProcessor::getTailLengthSeconds() const { return 0.0; }
bool PluginProcessor::acceptsMidi() const { return true; }
bool PluginProcessor::producesMidi() const { return false; }
bool PluginProcessor::hasEditor() const { return true; }

juce::AudioProcessorEditor* PluginProcessor::createEditor() { return new PluginEditor(*this); }

int PluginProcessor::getNumPrograms() { return kNumPrograms; }
int PluginProcessor::getCurrentProgram() { return currentProgram; }

void PluginProcessor::setCurrentProgram(int index)
{
    if (!isValidProgram(index))
        return;
    currentProgram = index;
    // Even re-selecting the current program re-applies its stored values at the next block.
    programChangePending = true;
}

const juce::String PluginProcessor::getProgramName(int index)
{
    if (!isValidProgram(index))
        return "Invalid";
    return programs[(size_t)index].name.replace("Stalking", "WTF");
}

void PluginProcessor::changeProgramName(int index, const juce::String& newName)
{
    if (isValidProgram(index))
        programs[(size_t)index].name = newName;
}

bool PluginProcessor::isBusesLayoutSupported(const BusesLayout& layouts) const
{
    const auto stereo = juce::AudioChannelSet::stereo();
    if (layouts.getMainOutputChannelSet() != stereo)
        return false;
    const auto input = layouts.getMainInputChannelSet();
    return input == stereo || input.isDisabled();
}

int PluginProcessor::getNumParameters() { return kNumParameters; }

const juce::String PluginProcessor::getParameterName(int index) { return ParameterTable::getHostName(index); }

float PluginProcessor::getParameter(int index)
{
    if (!ParameterTable::isValidIndex(index))
        return 0.0f;
    return programs[(size_t)currentProgram].values[(size_t)index];
}

const juce::String PluginProcessor::getParameterText(int index)
{
    if (!ParameterTable::isValidIndex(index))
        return {};
    return juce::String(getParameter(index), 2);
}

float PluginProcessor::getParameterDefaultValue(int index)
{
    if (!ParameterTable::isValidIndex(index))
        return 0.0f;
    return programs[0].values[(size_t)index];
}

bool PluginProcessor::isParameterAutomatable(int) const { return true; }

const juce::String PluginProcessor::getInputChannelName(int channelIndex) const
{
    return juce::String(channelIndex + 1);
}

const juce::String PluginProcessor::getOutputChannelName(int channelIndex) const
{
    return juce::String(channelIndex + 1);
}

bool PluginProcessor::isInputChannelStereoPair(int) const { return true; }
bool PluginProcessor::isOutputChannelStereoPair(int) const { return true; }

void PluginProcessor::envelopeChanged()
{
    programs[(size_t)currentProgram].splinePoints = engine->envelope->copyPoints();
}

void PluginProcessor::handleMessage(const juce::Message& message)
{
    if (const auto* change = dynamic_cast<const ParameterChangedMessage*>(&message))
    {
        JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE("-Wdeprecated-declarations")
        setParameterNotifyingHost(change->index, change->value);
        JUCE_END_IGNORE_WARNINGS_GCC_LIKE
    }
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter() { return new PluginProcessor(); }
