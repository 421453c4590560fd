// The audio thread's block: pending program, sample rate, voice count, host tempo, then the
// sample-accurate MIDI walk and rendering under the callback lock.
#include "processor/PluginProcessor.h"

#include "engine/SynthEngine.h"

#include <cmath>

namespace
{
namespace P = ParameterIndex;

constexpr float kVelocityScale = 0.007874016f;  // 1 / 127

bool sameValue(float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); }
}  // namespace

void PluginProcessor::prepareToPlay(double sampleRate, int)
{
    // Build the engine for a new rate here, where the host allows allocation; the next block swaps
    // it in at the moment it notices the change.
    const auto rate = (float)sampleRate;
    if (rate > 0.0f && rate != lastSampleRate && (spareEngine == nullptr || spareEngine->sampleRate != rate))
    {
        auto fresh = std::make_unique<SynthEngine>();
        fresh->initialize(rate);
        spareEngine = std::move(fresh);
    }
}

void PluginProcessor::releaseResources() {}

void PluginProcessor::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages)
{
    juce::ScopedNoDenormals noDenormals;
    const int numSamples = buffer.getNumSamples();

    for (int ch = getTotalNumInputChannels(); ch < juce::jmin(getTotalNumOutputChannels(), buffer.getNumChannels());
         ++ch)
        buffer.clear(ch, 0, numSamples);

    if (programChangePending.exchange(false))
        applyCurrentProgram();
    followSampleRate();
    followVoiceCount();
    followHostTransport();

    const juce::ScopedLock lock(getCallbackLock());

    if (getTotalNumOutputChannels() != 2 || buffer.getNumChannels() < 2)
        return;

    float* left = buffer.getWritePointer(0);
    float* right = buffer.getWritePointer(1);
    auto event = midiMessages.cbegin();
    const auto end = midiMessages.cend();

    for (int i = 0; i < numSamples; ++i)
    {
        // Events before the block start apply at its first sample; those at or past its end never do.
        for (; event != end && (*event).samplePosition <= i; ++event)
            handleMidiEvent((*event).data, (*event).numBytes);
        engine->renderSample(left[i], right[i]);
    }
}

void PluginProcessor::applyCurrentProgram()
{
    auto& program = programs[(size_t)currentProgram];
    // Applying the stored values must not reset the user envelope.
    program.values[P::envelopeReset] = 0.0f;
    engine->envelope->loadProgramPoints(program.splinePoints);
    changeCounts.fill(1);
    engine->allNotesOff();
    for (int i = 0; i < kNumParameters; ++i)
        setParameter(i, program.values[(size_t)i]);
}

void PluginProcessor::followSampleRate()
{
    const auto rate = (float)getSampleRate();
    if (rate <= 0.0f || rate == lastSampleRate)
        return;

    lastSampleRate = rate;
    if (spareEngine != nullptr && spareEngine->sampleRate == rate)
        std::swap(engine, spareEngine);  // the old one is freed later, off the audio thread
    else
        engine->initialize(rate);

    // This block plays the engine's initial settings; the program follows at the next one.
    setCurrentProgram(currentProgram);
    lastVoices = -1.0f;
}

void PluginProcessor::followVoiceCount()
{
    const float v = programs[(size_t)currentProgram].values[P::voices];
    if (sameValue(v, lastVoices))
        return;
    lastVoices = v;
    const float count = std::floor(v * 5.0f + 1.0f + 0.5f);
    engine->setNumberOfVoices(std::isfinite(count) ? (int)juce::jlimit(1.0f, 6.0f, count) : 6);
    // Re-apply the whole program at the next block, which also releases every voice.
    setCurrentProgram(currentProgram);
}

void PluginProcessor::followHostTransport()
{
    bool haveTempo = false;
    if (auto* host = getPlayHead())
    {
        if (const auto position = host->getPosition())
        {
            positionInfo = *position;
            haveTempo = position->getBpm().hasValue() && *position->getBpm() > 0.0;
        }
    }

    if (!haveTempo)
    {
        lastBpm = 120.0f;
        engine->envelope->applyHostTiming(0.0, 4, 4);
        return;
    }

    const auto bpm = (float)*positionInfo.getBpm();
    if (bpm != lastBpm)
    {
        lastBpm = bpm;
        engine->setLfo1Sync(getParameter(P::lfo1sync), getParameter(P::lfo1rate), bpm);
        engine->setLfo2Sync(getParameter(P::lfo2sync), getParameter(P::lfo2rate), bpm);
    }

    if (positionInfo.getIsPlaying())
    {
        const double ppq = positionInfo.getPpqPosition().orFallback(0.0);
        engine->lfo1->rephaseToHost(ppq, bpm);
        engine->lfo2->rephaseToHost(ppq, bpm);
    }

    // The delay follows tempos it can use; outside 1..1000 bpm it keeps the last one.
    engine->delay->followTempo(lastBpm);

    const auto signature = positionInfo.getTimeSignature().orFallback(juce::AudioPlayHead::TimeSignature{});
    engine->envelope->applyHostTiming(*positionInfo.getBpm(), signature.numerator, signature.denominator);
}

void PluginProcessor::handleMidiEvent(const juce::uint8* data, int numBytes)
{
    if (numBytes < 1)
        return;

    const int status = data[0];
    const int type = status & 0xf0;
    const int data1 = numBytes > 1 ? (data[1] & 0x7f) : 0;
    const int data2 = numBytes > 2 ? (data[2] & 0x7f) : 0;

    if (status == 0xfc || (type == 0xb0 && (data1 == 123 || data1 == 120)))
        engine->allNotesOff();
    else if (type == 0xb0)
        handleController(data1, data2);
    else if (type == 0x90 && data2 > 0)
        engine->noteOn(data1, (float)data2 * kVelocityScale);
    else if (type == 0x80 || type == 0x90)
        engine->noteOff(data1);
    else if (type == 0xe0)
        engine->setPitchWheel((float)(data2 * 128 + data1 - 8192) / 8191.5f);
}

void PluginProcessor::handleController(int controller, int value)
{
    if (programs[(size_t)currentProgram].values[P::midiLearn] > 0.0f)
        for (auto& program : programs)
            program.controllerMap[(size_t)controller] = lastTouchedParameter;

    const int parameter = programs[(size_t)currentProgram].controllerMap[(size_t)controller];
    if (parameter < 1)
        return;

    const float x = (float)value / 127.0f;
    if (isNonRealtime())
        setParameter(parameter, x);  // offline: at its own sample, no host to tell
    else
        notifier->enqueue(parameter, x);
}
