// The user-drawn envelope through the real binary: its cycle follows the host's tempo and time
// signature, and every destination changes the sound.
#include "tests/plugin/HostToolRunner.h"

#include <gtest/gtest.h>
#include <juce_audio_formats/juce_audio_formats.h>

#include <cmath>
#include <vector>

namespace
{
const juce::String kPlugin{QUORVELINE_PLUGIN_BINARY};

// A rise from 0 to full level at mid-cycle and back, so the level dips to 0 once per cycle.
const char* const kHumpPoints =
    R"(<splinePoints>)"
    R"(<splinePoint isStartPoint="1" isEndPoint="0" centerPointX="0" centerPointY="0" controlPointLeftX="0" controlPointLeftY="0" controlPointRightX="0.1" controlPointRightY="0"/>)"
    R"(<splinePoint isStartPoint="0" isEndPoint="0" centerPointX="0.5" centerPointY="1" controlPointLeftX="0.4" controlPointLeftY="1" controlPointRightX="0.6" controlPointRightY="1"/>)"
    R"(<splinePoint isStartPoint="0" isEndPoint="1" centerPointX="1" centerPointY="0" controlPointLeftX="0.9" controlPointLeftY="0" controlPointRightX="1" controlPointRightY="0"/>)"
    R"(</splinePoints>)";

// Every attribute the sound depends on is written: a 1.7 document reads missing discrete ones as
// their last step.
juce::File writePreset(const juce::String& sound, const juce::String& envelope)
{
    const auto file = juce::File::createTempFile(".quorvelinepreset");
    file.replaceWithText(
        R"(<zem version="1.7"><programs><program programname="Envelope test" volume="0.408" filtertype="0" )"
        R"(osc1tune="0.25" osc2tune="0.5" voices="0" portamentomode="0" lfo1destination="0" lfo2destination="0" )"
        R"(freeaddestination="0" ampsustain="1" filtersustain="1" filtercontour="0.5" oscbitcrusher="1" )"
        R"(reverblowcut="1" reverbhighcut="0" )" +
        sound + " " + envelope + ">" + kHumpPoints + "</program></programs></zem>");
    return file;
}

// A pure tone, so the level measures the envelope alone.
const char* const kSine =
    R"(osc1volume="0" osc2volume="0.8" osc3volume="0" osc1waveform="0" osc2waveform="0.75" cutoff="1")";
// Saw, pulse and sub through a half-open filter: every destination has room to act.
const char* const kRich =
    R"(osc1volume="0.8" osc2volume="0.8" osc3volume="0.8" osc1waveform="0" osc2waveform="0.25" cutoff="0.5")";

std::vector<float> renderHeldNote(const juce::File& preset, const juce::StringArray& hostOptions)
{
    juce::MidiMessageSequence track;
    track.addEvent(juce::MidiMessage::noteOn(1, 69, (juce::uint8)100), 240);
    track.addEvent(juce::MidiMessage::noteOff(1, 69), 240 + 480 * 16);
    track.updateMatchedPairs();
    juce::MidiFile midiFile;
    midiFile.setTicksPerQuarterNote(480);
    midiFile.addTrack(track);
    const auto midi = juce::File::createTempFile(".mid");
    {
        juce::FileOutputStream out(midi);
        midiFile.writeTo(out);
    }

    const auto wav = juce::File::createTempFile(".wav");
    juce::StringArray args{"render",   kPlugin,
                           "--preset", preset.getFullPathName(),
                           "--midi",   midi.getFullPathName(),
                           "--out",    wav.getFullPathName(),
                           "--tail",   "0"};
    args.addArray(hostOptions);
    const auto run = runHostTool(args);
    EXPECT_EQ(run.exitCode, 0) << run.output;

    std::vector<float> samples;
    juce::WavAudioFormat format;
    if (std::unique_ptr<juce::AudioFormatReader> reader{format.createReaderFor(new juce::FileInputStream(wav), true)})
    {
        juce::AudioBuffer<float> audio((int)reader->numChannels, (int)reader->lengthInSamples);
        reader->read(&audio, 0, (int)reader->lengthInSamples, 0, true, true);
        samples.assign(audio.getReadPointer(0), audio.getReadPointer(0) + audio.getNumSamples());
    }
    midi.deleteFile();
    wav.deleteFile();
    return samples;
}

// Mean distance, in samples, between the moments the level falls to its dips, from the start of the
// note on. The level is the peak over short windows; a dip is a window far below the loudest.
double measureCycle(const std::vector<float>& samples, double startSample)
{
    constexpr int window = 128;
    std::vector<float> level;
    for (size_t i = (size_t)startSample; i + window < samples.size(); i += window)
    {
        float peak = 0.0f;
        for (size_t j = i; j < i + window; ++j)
            peak = std::max(peak, std::abs(samples[j]));
        level.push_back(peak);
    }
    const float loudest = *std::max_element(level.begin(), level.end());
    std::vector<double> dips;
    bool inDip = true;  // the note starts at the bottom of the curve
    size_t dipStart = 0;
    for (size_t w = 0; w < level.size(); ++w)
    {
        const bool low = level[w] < loudest * 0.05f;
        if (low && !inDip)
            dipStart = w;
        if (!low && inDip && w > 0 && dipStart > 0)
            dips.push_back((double)(dipStart + w) * 0.5 * window);
        inDip = low;
    }
    if (dips.size() < 3)
        return 0.0;
    return (dips.back() - dips.front()) / (double)(dips.size() - 1);
}
}  // namespace

TEST(UserEnvelopeBinary, CycleFollowsTempoAndTimeSignature)
{
    // Volume destination at full amount, speed x32: a cycle of samplesPerBeat * num * den / 32.
    const auto preset =
        writePreset(kSine, R"(envelopeeditordest1="1" envelopeeditorspeed="1" envelopeeditoramount="1")");
    struct Case
    {
        const char* bpm;
        const char* signature;
        double expectedSamples;
    };
    for (const auto& c : {Case{"120", "4/4", 44100.0 * 0.5 * 16 / 32}, Case{"100", "3/4", 44100.0 * 0.6 * 12 / 32},
                          Case{"140", "7/8", 44100.0 * 60 / 140 * 56 / 32}})
    {
        const auto samples = renderHeldNote(preset, {"--bpm", c.bpm, "--timesig", c.signature});
        const double noteStart = 240.0 / 480.0 * 60.0 / juce::String(c.bpm).getDoubleValue() * 44100.0;
        const double cycle = measureCycle(samples, noteStart);
        EXPECT_NEAR(cycle, c.expectedSamples, c.expectedSamples * 0.01) << c.bpm << " " << c.signature;
    }
    preset.deleteFile();
}

TEST(UserEnvelopeBinary, EveryDestinationChangesTheSound)
{
    const auto reference =
        writePreset(kRich, R"(envelopeeditordest1="0" envelopeeditorspeed="0.8" envelopeeditoramount="1")");
    const auto plain = renderHeldNote(reference, {});
    reference.deleteFile();

    for (int destination = 2; destination <= 8; ++destination)
    {
        const auto value = juce::String((destination - 1) / 7.0, 7);
        const auto preset = writePreset(kRich, "envelopeeditordest1=\"" + value +
                                                   R"(" envelopeeditorspeed="0.8" envelopeeditoramount="1")");
        const auto modulated = renderHeldNote(preset, {});
        preset.deleteFile();

        ASSERT_EQ(modulated.size(), plain.size());
        double difference = 0.0, energy = 0.0;
        for (size_t i = 0; i < plain.size(); ++i)
        {
            difference += std::pow(modulated[i] - plain[i], 2.0);
            energy += std::pow(plain[i], 2.0);
        }
        EXPECT_GT(difference, energy * 0.01) << "destination " << destination;
    }
}
