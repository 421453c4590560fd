// The object the host talks to: identity, buses, 256 programs, 92 index-based parameters and state.
#pragma once

#include "processor/AutomationNotifier.h"
#include "processor/ParameterTable.h"
#include "processor/Program.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>
#include <memory>
#include <vector>

class SynthEngine;

class PluginProcessor : public juce::AudioProcessor, public juce::ChangeBroadcaster, public juce::MessageListener
{
public:
    PluginProcessor();
    ~PluginProcessor() override;

    const juce::String getName() const override;
    void prepareToPlay(double sampleRate, int samplesPerBlock) override;
    void releaseResources() override;
    using juce::AudioProcessor::processBlock;
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram(int index) override;
    const juce::String getProgramName(int index) override;
    void changeProgramName(int index, const juce::String& newName) override;

    void getStateInformation(juce::MemoryBlock& destData) override;
    void getCurrentProgramStateInformation(juce::MemoryBlock& destData) override;
    void setStateInformation(const void* data, int sizeInBytes) override;
    void setCurrentProgramStateInformation(const void* data, int sizeInBytes) override;

    bool isBusesLayoutSupported(const BusesLayout& layouts) const override;

    using juce::AudioProcessor::getParameterName;
    using juce::AudioProcessor::getParameterText;
    int getNumParameters() override;
    const juce::String getParameterName(int index) override;
    float getParameter(int index) override;
    const juce::String getParameterText(int index) override;
    float getParameterDefaultValue(int index) override;
    void setParameter(int index, float value) override;
    bool isParameterAutomatable(int index) const override;

    const juce::String getInputChannelName(int channelIndex) const override;
    const juce::String getOutputChannelName(int channelIndex) const override;
    bool isInputChannelStereoPair(int index) const override;
    bool isOutputChannelStereoPair(int index) const override;

    void handleMessage(const juce::Message& message) override;

    // Program documents: the host chunk, the factory bank and preset files share this format.
    void setStateInformationFromXml(const juce::XmlElement* root);
    void getXmlPrograms(juce::XmlElement* parent, int index) const;
    void setXmlPrograms(const juce::XmlElement* program, int index, float version);
    void restoreMidiMapping(const juce::XmlElement* first);

    // The envelope view stores its edits in the current program through this.
    void envelopeChanged();

    std::vector<Program> programs;
    std::unique_ptr<SynthEngine> engine;
    int currentProgram = 0;
    std::atomic<bool> programChangePending{false};
    float lastSampleRate = 44100.0f;
    float lastVoices = -1.0f;
    float lastBpm = 120.0f;
    int lastTouchedParameter = 0;
    std::array<int, kNumParameters> changeCounts{};
    juce::AudioPlayHead::PositionInfo positionInfo;
    std::unique_ptr<AutomationNotifier> notifier;

private:
    void loadFactoryBank();
    void applyParameter(int index, float value);
    void applyCurrentProgram();
    void followSampleRate();
    void followVoiceCount();
    void followHostTransport();
    void handleMidiEvent(const juce::uint8* data, int numBytes);
    void handleController(int controller, int value);

    // An engine built ahead for a new sample rate (prepareToPlay), or the one it replaced.
    std::unique_ptr<SynthEngine> spareEngine;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(PluginProcessor)
};
