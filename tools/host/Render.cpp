// Block-by-block rendering with a steady play head, sample-accurate MIDI and level statistics.
#include "tools/host/Render.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <cmath>

namespace
{
// A transport that plays from zero at a fixed tempo and signature.
class SteadyPlayHead : public juce::AudioPlayHead
{
public:
    explicit SteadyPlayHead(const RenderSettings& s) : settings(s) {}

    juce::Optional<PositionInfo> getPosition() const override
    {
        PositionInfo info;
        const double seconds = (double)samplePosition / settings.sampleRate;
        const double ppq = seconds * settings.bpm / 60.0;
        const double quartersPerBar = settings.timeSigNumerator * 4.0 / settings.timeSigDenominator;
        info.setBpm(settings.bpm);
        info.setTimeSignature(
            juce::AudioPlayHead::TimeSignature{settings.timeSigNumerator, settings.timeSigDenominator});
        info.setTimeInSamples(samplePosition);
        info.setTimeInSeconds(seconds);
        info.setPpqPosition(ppq);
        info.setPpqPositionOfLastBarStart(quartersPerBar > 0 ? std::floor(ppq / quartersPerBar) * quartersPerBar : 0.0);
        info.setIsPlaying(true);
        return info;
    }

    juce::int64 samplePosition = 0;

private:
    const RenderSettings& settings;
};
}  // namespace

RenderResult renderSequence(HostedPlugin& plugin, const juce::MidiMessageSequence& sequence,
                            const RenderSettings& settings)
{
    auto& instance = *plugin.instance;
    SteadyPlayHead playHead(settings);
    instance.setPlayHead(&playHead);
    instance.setNonRealtime(!settings.realtime);
    instance.prepareToPlay(settings.sampleRate, settings.blockSize);

    const double lastEvent = sequence.getNumEvents() > 0 ? sequence.getEndTime() : 0.0;
    const auto totalSamples = (int)std::ceil((lastEvent + settings.tailSeconds) * settings.sampleRate);
    const int channels = juce::jmax(2, instance.getTotalNumInputChannels(), instance.getTotalNumOutputChannels());

    RenderResult result;
    result.audio.setSize(2, totalSamples);
    result.audio.clear();

    juce::AudioBuffer<float> block(channels, settings.blockSize);
    juce::MidiBuffer midi;
    int nextEvent = 0;
    size_t nextAutomation = 0;
    double processingSeconds = 0.0;

    for (int start = 0; start < totalSamples; start += settings.blockSize)
    {
        const int n = juce::jmin(settings.blockSize, totalSamples - start);
        block.setSize(channels, n, false, false, true);
        block.clear();
        midi.clear();

        while (nextEvent < sequence.getNumEvents())
        {
            const auto& message = sequence.getEventPointer(nextEvent)->message;
            const auto position = (juce::int64)std::llround(message.getTimeStamp() * settings.sampleRate);
            if (position >= start + n)
                break;
            if (!message.isMetaEvent())
                midi.addEvent(message, (int)juce::jmax((juce::int64)0, position - start));
            ++nextEvent;
        }

        while (nextAutomation < settings.automation.size() &&
               settings.automation[nextAutomation].seconds * settings.sampleRate <= (double)start)
        {
            const auto& change = settings.automation[nextAutomation++];
            if (auto* parameter = instance.getParameters()[change.index])
                parameter->setValue(change.value);
        }

        playHead.samplePosition = start;
        const auto t0 = juce::Time::getHighResolutionTicks();
        instance.processBlock(block, midi);
        processingSeconds += juce::Time::highResolutionTicksToSeconds(juce::Time::getHighResolutionTicks() - t0);

        // A real-time host keeps its message thread running beside the audio: that is where a
        // plug-in reports parameter changes it makes itself (automation from learned controllers).
        if (settings.realtime)
            juce::MessageManager::getInstance()->runDispatchLoopUntil(1);

        const int outputs = juce::jmax(1, instance.getTotalNumOutputChannels());
        for (int ch = 0; ch < 2; ++ch)
            result.audio.copyFrom(ch, start, block, juce::jmin(ch, outputs - 1), 0, n);
    }

    if (settings.realtime)
        juce::MessageManager::getInstance()->runDispatchLoopUntil(200);

    instance.releaseResources();
    instance.setPlayHead(nullptr);

    double sumSquares = 0.0;
    for (int ch = 0; ch < 2; ++ch)
    {
        const float* data = result.audio.getReadPointer(ch);
        for (int i = 0; i < totalSamples; ++i)
        {
            if (!std::isfinite(data[i]))
            {
                ++result.nonFiniteSamples;
                continue;
            }
            result.peak = juce::jmax(result.peak, std::abs(data[i]));
            sumSquares += (double)data[i] * data[i];
        }
    }
    result.rms = totalSamples > 0 ? (float)std::sqrt(sumSquares / (2.0 * totalSamples)) : 0.0f;
    result.seconds = processingSeconds;
    return result;
}

bool readMidiFile(const juce::File& file, juce::MidiMessageSequence& sequence, juce::String& error)
{
    juce::FileInputStream stream(file);
    juce::MidiFile midiFile;
    if (!stream.openedOk() || !midiFile.readFrom(stream))
    {
        error = "cannot read MIDI file " + file.getFullPathName();
        return false;
    }
    midiFile.convertTimestampTicksToSeconds();
    sequence.clear();
    for (int t = 0; t < midiFile.getNumTracks(); ++t)
        sequence.addSequence(*midiFile.getTrack(t), 0.0);
    sequence.updateMatchedPairs();
    return true;
}

bool writeWav(const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate)
{
    file.deleteFile();
    auto stream = std::make_unique<juce::FileOutputStream>(file);
    if (!stream->openedOk())
        return false;
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer(
        wav.createWriterFor(stream.get(), sampleRate, (unsigned int)audio.getNumChannels(), 32, {}, 0));
    if (writer == nullptr)
        return false;
    stream.release();  // the writer owns it now
    return writer->writeFromAudioSampleBuffer(audio, 0, audio.getNumSamples());
}
