// Playing ZEM-Quorveline.so in-process for the tests: patches written as program documents, renders
// whole or block by block, and the measurements made on what comes out.
#pragma once

#include "tools/host/HostedPlugin.h"
#include "tools/host/Render.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace playing
{
inline const juce::String kPlugin{QUORVELINE_PLUGIN_BINARY};
constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;
// The engine adds noise of about 1e-8 against denormals: anything below this is silence.
constexpr float kSilence = 1.0e-5f;
// A freshly loaded instrument applies its program in the first block and again in the second,
// once it has seen the voice count; notes start after this.
constexpr double kLeadIn = 0.1;

struct Attribute
{
    const char* name;
    double value;
};
using Patch = std::vector<Attribute>;

// Oscillator 2 alone as an unfiltered sine on a plain gate envelope, at master gain 1 (volume 0.5):
// every note is one clean partial of amplitude 1.5 (0.5 from the oscillator, 3 from the unfiltered
// path). Discrete values are all written out, because a missing attribute would read as the last step.
inline const Patch kSinePatch{
    {"volume", 0.5},
    {"filtertype", 1.0},
    {"cutoff", 1.0},
    {"resonance", 0.0},
    {"filterdrive", 0.0},
    {"osc1volume", 0.0},
    {"osc2volume", 1.0},
    {"osc3volume", 0.0},
    {"osc2waveform", 0.75},
    {"osc2tune", 0.5},
    {"osc2finetune", 0.5},
    {"oscmastertune", 0.5},
    {"transpose", 0.34},
    {"osc2fm", 0.0},
    {"oscsync", 0.0},
    {"ringmodulation", 0.0},
    {"oscbitcrusher", 1.0},
    {"vintagenoise", 0.0},
    {"detune", 0.0},
    {"portamentomode", 0.0},
    {"portamento", 0.0},
    {"ampattack", 0.0},
    {"ampdecay", 0.0},
    {"ampsustain", 1.0},
    {"amprelease", 0.0},
    {"velocityvolume", 0.0},
    {"lfo1amount", 0.5},
    {"lfo2amount", 0.5},
    {"lfo1destination", 0.0},
    {"lfo2destination", 0.0},
    {"freeadamount", 0.5},
    {"freeaddestination", 0.0},
    {"envelopeeditoramount", 0.0},
    {"envelopeeditordest1", 0.0},
    {"pitchwheelpitch", 0.0},
    {"pitchwheelcutoff", 0.0},
    {"highpass", 0.0},
    {"delaywet", 0.0},
    {"chorus1enable", 0.0},
    {"chorus2enable", 0.0},
    {"reverbwet", 0.0},
    {"voices", 1.0},
};

// Every section at work: three oscillators with sync, FM and ring modulation into a resonant 24 dB
// low-pass, LFOs, the free and the user envelope, crusher, crackle, delay, both choruses and reverb.
inline const Patch kBusyPatch{
    {"volume", 0.5},
    {"filtertype", 0.0},
    {"cutoff", 0.6},
    {"resonance", 0.6},
    {"filterdrive", 0.3},
    {"keyfollow", 0.5},
    {"filtercontour", 0.8},
    {"osc1volume", 0.8},
    {"osc2volume", 0.8},
    {"osc3volume", 0.8},
    {"osc1waveform", 0.0},
    {"osc2waveform", 0.25},
    {"oscsync", 1.0},
    {"osc2fm", 0.2},
    {"ringmodulation", 0.3},
    {"oscbitcrusher", 0.9},
    {"vintagenoise", 0.3},
    {"detune", 0.5},
    {"portamentomode", 0.5},
    {"portamento", 0.3},
    {"ampattack", 0.1},
    {"ampdecay", 0.3},
    {"ampsustain", 0.7},
    {"amprelease", 0.4},
    {"lfo1amount", 0.8},
    {"lfo2amount", 0.2},
    {"lfo1destination", 0.3},
    {"lfo2destination", 1.0},
    {"lfo1rate", 0.4},
    {"lfo2rate", 0.3},
    {"lfo1sync", 1.0},
    {"freeadamount", 0.8},
    {"freeaddestination", 0.4},
    {"envelopeeditoramount", 0.6},
    {"envelopeeditordest1", 0.5},
    {"delaywet", 0.4},
    {"delaysync", 1.0},
    {"delayfeedback", 0.6},
    {"chorus1enable", 1.0},
    {"chorus2enable", 1.0},
    {"reverbwet", 0.4},
    {"highpass", 0.2},
    {"voices", 1.0},
};

inline Patch withChanges(Patch patch, std::initializer_list<Attribute> changes)
{
    patch.insert(patch.end(), changes.begin(), changes.end());
    return patch;
}

inline std::unique_ptr<HostedPlugin> loadPlugin(double rate = kRate, int blockSize = 512)
{
    auto plugin = std::make_unique<HostedPlugin>(kPlugin, rate, blockSize);
    return plugin->isLoaded() ? std::move(plugin) : nullptr;
}

// Replaces program 0 with factory program 0 changed by `patch` and selects it, as loading a preset
// file does. Every other attribute keeps the factory value, so nothing falls back to a reader default.
inline bool loadPatch(HostedPlugin& plugin, const Patch& patch)
{
    plugin.instance->setCurrentProgram(0);
    const auto current = plugin.getChunk(true);
    auto document = juce::AudioProcessor::getXmlFromBinary(current.getData(), (int)current.getSize());
    auto* programs = document != nullptr ? document->getChildByName("programs") : nullptr;
    auto* program = programs != nullptr ? programs->getChildByName("program") : nullptr;
    if (program == nullptr)
        return false;
    for (const auto& a : patch)
        program->setAttribute(a.name, a.value);
    juce::MemoryBlock chunk;
    juce::AudioProcessor::copyXmlToBinary(*document, chunk);
    plugin.setChunk(chunk);
    return true;
}

inline std::unique_ptr<HostedPlugin> loadPluginWithPatch(const Patch& patch, double rate = kRate, int blockSize = 512)
{
    auto plugin = loadPlugin(rate, blockSize);
    return plugin != nullptr && loadPatch(*plugin, patch) ? std::move(plugin) : nullptr;
}

struct Note
{
    int number;
    double on, off;  // seconds
};

inline juce::MidiMessageSequence makeSequence(std::initializer_list<Note> notes)
{
    juce::MidiMessageSequence sequence;
    for (const auto& n : notes)
    {
        sequence.addEvent(juce::MidiMessage::noteOn(1, n.number, (juce::uint8)100), n.on);
        sequence.addEvent(juce::MidiMessage::noteOff(1, n.number), n.off);
    }
    sequence.updateMatchedPairs();
    return sequence;
}

inline RenderResult render(HostedPlugin& plugin, const juce::MidiMessageSequence& sequence, double rate = kRate,
                           int blockSize = 512, double tailSeconds = 0.2)
{
    RenderSettings settings;
    settings.sampleRate = rate;
    settings.blockSize = blockSize;
    settings.tailSeconds = tailSeconds;
    return renderSequence(plugin, sequence, settings);
}

// Frequency from linearly interpolated upward zero crossings between two sample indices.
inline double measureFrequency(const float* x, int begin, int end, double rate)
{
    double first = 0.0, last = 0.0;
    int crossings = 0;
    for (int i = begin + 1; i < end; ++i)
    {
        if (x[i - 1] < 0.0f && x[i] >= 0.0f)
        {
            last = (i - 1) + (double)x[i - 1] / ((double)x[i - 1] - (double)x[i]);
            if (crossings++ == 0)
                first = last;
        }
    }
    return crossings > 1 ? (crossings - 1) * rate / (last - first) : 0.0;
}

inline double measureFrequency(const juce::AudioBuffer<float>& audio, double rate, double from, double to)
{
    return measureFrequency(audio.getReadPointer(0), (int)(from * rate), (int)(to * rate), rate);
}

inline double centsBetween(double measured, double expected) { return 1200.0 * std::log2(measured / expected); }

inline double noteFrequency(double pitch) { return 440.0 * std::pow(2.0, (pitch - 69.0) / 12.0); }

// Amplitude of one partial in a Hann-windowed stretch of channel 0 (a sine of amplitude a gives a).
inline double partialAmplitude(const juce::AudioBuffer<float>& audio, double rate, double from, double to,
                               double frequency)
{
    const float* x = audio.getReadPointer(0);
    const int begin = (int)(from * rate);
    const int n = (int)(to * rate) - begin;
    double re = 0.0, im = 0.0, windowSum = 0.0;
    for (int i = 0; i < n; ++i)
    {
        const double w = 0.5 - 0.5 * std::cos(2.0 * kPi * i / (n - 1));
        const double phase = 2.0 * kPi * frequency * i / rate;
        re += w * x[begin + i] * std::cos(phase);
        im += w * x[begin + i] * std::sin(phase);
        windowSum += w;
    }
    return 2.0 * std::hypot(re, im) / windowSum;
}

inline float peak(const std::vector<float>& x, int begin, int end)
{
    float p = 0.0f;
    for (int i = begin; i < end; ++i)
        p = std::max(p, std::abs(x[(size_t)i]));
    return p;
}

inline int countNonFinite(const std::vector<float>& x)
{
    int n = 0;
    for (float v : x)
        n += std::isfinite(v) ? 0 : 1;
    return n;
}

// Plays the plug-in block by block, as a host's audio callback does, and keeps the left channel.
class BlockHost
{
public:
    explicit BlockHost(HostedPlugin& p) : instance(*p.instance) {}

    // As hosts do on a rate change: suspend, set the rate, resume.
    void prepare(double rate, int blockSize)
    {
        instance.releaseResources();
        instance.prepareToPlay(rate, blockSize);
    }

    void play(int numSamples, juce::MidiBuffer midi = {})
    {
        const int channels = std::max({2, instance.getTotalNumInputChannels(), instance.getTotalNumOutputChannels()});
        juce::AudioBuffer<float> block(channels, numSamples);
        block.clear();
        instance.processBlock(block, midi);
        for (int i = 0; i < numSamples; ++i)
            output.push_back(block.getSample(0, i));
    }

    int position() const { return (int)output.size(); }

    std::vector<float> output;

private:
    juce::AudioPluginInstance& instance;
};

inline juce::MidiBuffer noteOnAt(int sample, int note = 69)
{
    juce::MidiBuffer midi;
    midi.addEvent(juce::MidiMessage::noteOn(1, note, (juce::uint8)100), sample);
    return midi;
}
}  // namespace playing
