// Render cost of ZEM-Quorveline.so through its VST2 entry point on typical workloads, beside amsynth.
//
// Without arguments: every workload (20 s at 44.1 kHz, block 512) for our program 0, our heavy patch
// (alone, through the full effect chain, and with the user envelope on the cutoff)
// and amsynth's program 0, best of three, printed as one table.
//
// One workload, once, for instruction counts:
//   RenderBenchmark --workload chords --plugin ours|amsynth [--patch program0|heavy|fullchain|userenvelope] [--seconds N]
// Count only the rendering (not loading) with callgrind and divide by the frames it prints:
//   valgrind --tool=callgrind --toggle-collect='renderSequence*' --callgrind-out-file=ours.cg build-play/benchmarks/plugin/RenderBenchmark --workload chords --plugin ours --patch heavy --seconds 4
//   callgrind_annotate ours.cg | grep 'PROGRAM TOTALS'
#include "tools/host/HostedPlugin.h"
#include "tools/host/Render.h"

#include <juce_events/juce_events.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace
{
const juce::String kOurs{QUORVELINE_PLUGIN_BINARY};
const juce::String kAmsynth{"/usr/lib/vst/amsynth_vst.so"};
constexpr double kRate = 44100.0;
constexpr int kBlockSize = 512;
constexpr double kSeconds = 20.0;
constexpr int kRepetitions = 3;
// A freshly loaded instrument settles its program in its first blocks.
constexpr double kLeadIn = 0.1;

struct Attribute
{
    const char* name;
    double value;
};
using Patch = std::vector<Attribute>;

// Both oscillators, the sub oscillator and the 24 dB low-pass on all six voices.
const Patch kHeavyPatch{{"osc1volume", 0.8},   {"osc2volume", 0.8},    {"osc3volume", 0.8},
                        {"osc1waveform", 0.0}, {"osc2waveform", 0.25}, {"filtertype", 0.0},
                        {"cutoff", 0.5},       {"resonance", 0.3},     {"voices", 1.0}};

// The heavy patch through the whole master chain: delay, both chorus units and the reverb.
const Patch kFullChainPatch = []
{
    Patch p = kHeavyPatch;
    p.insert(p.end(), {{"delaywet", 0.4},
                       {"delaytime", 0.5},
                       {"delayfeedback", 0.6},
                       {"chorus1enable", 1.0},
                       {"chorus2enable", 1.0},
                       {"reverbwet", 0.4},
                       {"reverbdecay", 0.7}});
    return p;
}();

// The heavy patch with the user envelope on the filter cutoff.
const Patch kUserEnvelopePatch = []
{
    Patch p = kHeavyPatch;
    p.insert(p.end(),
             {{"envelopeeditordest1", 1.0 / 7.0}, {"envelopeeditoramount", 0.7}, {"envelopeeditorspeed", 0.6}});
    return p;
}();

// ---------------------------------------------------------------------------------------------------
// Workloads

struct Workload
{
    const char* name;
    juce::MidiMessageSequence midi;
    bool longRelease = false;  // our patches get the longest amplitude release
};

void addNote(juce::MidiMessageSequence& s, int note, double on, double off)
{
    s.addEvent(juce::MidiMessage::noteOn(1, note, (juce::uint8)100), on);
    s.addEvent(juce::MidiMessage::noteOff(1, note), off);
}

juce::MidiMessageSequence heldNote(double seconds)
{
    juce::MidiMessageSequence s;
    addNote(s, 57, kLeadIn, seconds - 0.1);
    return s;
}

juce::MidiMessageSequence chords(double seconds)
{
    juce::MidiMessageSequence s;
    for (double t = kLeadIn; t < seconds - 0.5; t += 2.0)
        for (int note : {45, 52, 57, 60, 64, 69})
            addNote(s, note, t, std::min(t + 1.9, seconds - 0.05));
    return s;
}

juce::MidiMessageSequence arpeggio(double seconds)
{
    // Sixteenths at 120 bpm over two octaves of A minor, each a little detached.
    const int pattern[] = {57, 60, 64, 69, 72, 76, 81, 76, 72, 69, 64, 60};
    constexpr double step = 60.0 / 120.0 / 4.0;
    juce::MidiMessageSequence s;
    int i = 0;
    for (double t = kLeadIn; t + step < seconds; t += step, ++i)
        addNote(s, pattern[i % 12], t, t + step * 0.8);
    return s;
}

juce::MidiMessageSequence releasedNote()
{
    juce::MidiMessageSequence s;
    addNote(s, 57, kLeadIn, kLeadIn + 1.0);
    return s;
}

std::vector<Workload> makeWorkloads(double seconds)
{
    std::vector<Workload> w;
    w.push_back({"held", heldNote(seconds)});
    w.push_back({"chords", chords(seconds)});
    w.push_back({"arpeggio", arpeggio(seconds)});
    w.push_back({"release", releasedNote(), true});
    w.push_back({"idle", {}});
    for (auto& workload : w)
        workload.midi.updateMatchedPairs();
    return w;
}

// Average number of voices sounding, counted from the keys held and the patch's polyphony; release
// tails are not counted.
double averageVoices(const juce::MidiMessageSequence& midi, int polyphony, double seconds)
{
    double voiceSeconds = 0.0, last = 0.0;
    int held = 0;
    for (int i = 0; i < midi.getNumEvents(); ++i)
    {
        const auto& m = midi.getEventPointer(i)->message;
        voiceSeconds += std::min(held, polyphony) * (m.getTimeStamp() - last);
        last = m.getTimeStamp();
        held += m.isNoteOn() ? 1 : (m.isNoteOff() ? -1 : 0);
    }
    return voiceSeconds / seconds;
}

// ---------------------------------------------------------------------------------------------------
// Plug-ins

struct Target
{
    const char* label;
    juce::String path;
    const Patch* patch;  // ours only; null keeps program 0 as it is
    int polyphony;
};

const Target kTargets[] = {
    {"ours, program 0", kOurs, nullptr, 1},  // the factory program 0 is mono
    {"ours, heavy", kOurs, &kHeavyPatch, 6},          {"amsynth, program 0", kAmsynth, nullptr, 16},
    {"ours, full chain", kOurs, &kFullChainPatch, 6}, {"ours, user envelope", kOurs, &kUserEnvelopePatch, 6},
};

// Replaces program 0 with itself changed by `patch`, as loading a preset file does.
void loadPatch(HostedPlugin& plugin, const Patch& patch)
{
    const auto current = plugin.getChunk(true);
    auto document = juce::AudioProcessor::getXmlFromBinary(current.getData(), (int)current.getSize());
    auto* programs = document != nullptr ? document->getChildByName("programs") : nullptr;
    auto* program = programs != nullptr ? programs->getChildByName("program") : nullptr;
    if (program == nullptr)
        return;
    for (const auto& a : patch)
        program->setAttribute(a.name, a.value);
    juce::MemoryBlock chunk;
    juce::AudioProcessor::copyXmlToBinary(*document, chunk);
    plugin.setChunk(chunk);
}

std::unique_ptr<HostedPlugin> load(const Target& target, bool longRelease)
{
    auto plugin = std::make_unique<HostedPlugin>(target.path, kRate, kBlockSize);
    if (!plugin->isLoaded())
    {
        std::fprintf(stderr, "cannot load %s: %s\n", target.path.toRawUTF8(), plugin->error.toRawUTF8());
        return nullptr;
    }
    plugin->instance->setCurrentProgram(0);
    if (target.path == kOurs && (target.patch != nullptr || longRelease))
    {
        Patch patch = target.patch != nullptr ? *target.patch : Patch{};
        if (longRelease)
            patch.push_back({"amprelease", 1.0});
        loadPatch(*plugin, patch);
    }
    return plugin;
}

// One render of `seconds` of audio; its `seconds` is the time spent inside block processing.
RenderResult renderOnce(const Target& target, const Workload& workload, double seconds)
{
    auto plugin = load(target, workload.longRelease);
    if (plugin == nullptr)
        return {{}, -1.0};
    RenderSettings settings;
    settings.sampleRate = kRate;
    settings.blockSize = kBlockSize;
    const double lastEvent = workload.midi.getNumEvents() > 0 ? workload.midi.getEndTime() : 0.0;
    settings.tailSeconds = seconds - lastEvent;
    const auto result = renderSequence(*plugin, workload.midi, settings);
    if (result.nonFiniteSamples > 0)
        std::fprintf(stderr, "%s, %s: %d non-finite samples\n", target.label, workload.name, result.nonFiniteSamples);
    return result;
}

double bestOf(int repetitions, const std::function<double()>& run)
{
    double best = 1.0e30;
    for (int i = 0; i < repetitions; ++i)
        best = std::min(best, run());
    return best;
}

// ---------------------------------------------------------------------------------------------------

int runTable()
{
    const auto workloads = makeWorkloads(kSeconds);
    const double frames = kSeconds * kRate;
    std::map<std::pair<juce::String, juce::String>, double> cost;  // (workload, target) -> seconds

    for (const auto& workload : workloads)
        for (const auto& target : kTargets)
            cost[{workload.name, target.label}] =
                bestOf(kRepetitions, [&] { return renderOnce(target, workload, kSeconds).seconds; });

    std::printf("Rendering through the VST2 entry point: %.0f Hz, block %d, %.0f s per workload, best of %d\n\n", kRate,
                kBlockSize, kSeconds, kRepetitions);
    std::printf("%-9s %-19s %8s %10s %9s %7s %13s  %s\n", "workload", "plugin", "wall s", "vs amsynth", "ns/frame",
                "voices", "ns/smp/voice", "note");

    for (const auto& workload : workloads)
    {
        const double theirs = cost[{workload.name, kTargets[2].label}];
        for (const auto& target : kTargets)
        {
            const double seconds = cost[{workload.name, target.label}];
            const double nsPerFrame = seconds * 1.0e9 / frames;
            const double voices = averageVoices(workload.midi, target.polyphony, kSeconds);

            char ratio[32] = "-";
            if (target.path == kOurs && theirs > 0.0)
                std::snprintf(ratio, sizeof(ratio), "%.2fx", seconds / theirs);
            char perVoice[32] = "-";
            if (voices > 0.0 && !workload.longRelease)
                std::snprintf(perVoice, sizeof(perVoice), "%.1f", nsPerFrame / voices);

            juce::String note;
            if (juce::String(workload.name) == "idle")
                note << juce::String(seconds / cost[{"chords", target.label}], 3) << " of chords";
            if (workload.longRelease)
                note << juce::String(seconds / cost[{"held", target.label}], 2) << " of held"
                     << (target.path == kOurs ? " (release 1, 1 s note)" : " (own release, 1 s note)");

            std::printf("%-9s %-19s %8.3f %10s %9.1f %7.2f %13s  %s\n", workload.name, target.label, seconds, ratio,
                        nsPerFrame, voices, perVoice, note.toRawUTF8());
        }
    }
    std::printf("\nvoices: average keys sounding from the MIDI, limited by the patch's polyphony; release tails not "
                "counted.\n");
    return 0;
}

int runSingle(const juce::StringArray& args)
{
    const auto option = [&](const char* name, const char* fallback)
    {
        const int i = args.indexOf(name);
        return i >= 0 && i + 1 < args.size() ? args[i + 1] : juce::String(fallback);
    };
    const double seconds = option("--seconds", "20").getDoubleValue();
    const auto workloadName = option("--workload", "chords");
    const bool amsynth = option("--plugin", "ours") == "amsynth";
    const auto patch = option("--patch", "program0");
    const int ours = patch == "heavy" ? 1 : patch == "fullchain" ? 3 : patch == "userenvelope" ? 4 : 0;
    const Target& target = amsynth ? kTargets[2] : kTargets[ours];

    for (const auto& workload : makeWorkloads(seconds))
    {
        if (workloadName != workload.name)
            continue;
        const auto result = renderOnce(target, workload, seconds);
        const double frames = std::ceil(seconds * kRate);
        std::printf("workload: %s\nplugin: %s\nframes: %.0f\nwall s: %.3f\nns/frame: %.1f\npeak: %.4f\n", workload.name,
                    target.label, frames, result.seconds, result.seconds * 1.0e9 / frames, (double)result.peak);
        return result.seconds < 0.0 ? 1 : 0;
    }
    std::fprintf(stderr, "unknown workload %s (held, chords, arpeggio, release, idle)\n", workloadName.toRawUTF8());
    return 1;
}
}  // namespace

int main(int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce;
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add(argv[i]);
    return args.contains("--workload") ? runSingle(args) : runTable();
}
