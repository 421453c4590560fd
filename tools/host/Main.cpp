// quorveline-host: loads any Linux VST2 plug-in through its entry point, shows what a host sees,
// renders MIDI (or a demo phrase) to a WAV file, and saves or restores state chunks.
#include "tools/host/DemoPhrase.h"
#include "tools/host/HostedPlugin.h"
#include "tools/host/Render.h"

#include <algorithm>
#include <iostream>

namespace
{
const char* const kUsage = R"(usage:
  quorveline-host info PLUGIN.so
  quorveline-host render PLUGIN.so [options]
      --out FILE.wav        where to write the render (default render.wav)
      --midi FILE.mid       standard MIDI file to play (default: the built-in demo phrase)
      --program N           select program N first
      --preset FILE         load a single-program XML preset (sent as the plug-in's chunk)
      --state FILE          restore a saved state chunk first
      --set INDEX=VALUE     set a parameter (normalised value) before rendering; repeatable
      --automate T:INDEX=VALUE  set a parameter at the block that starts at or after T seconds; repeatable
      --save-state FILE     save the state chunk after rendering
      --rate HZ             sample rate (default 44100)
      --block N             block size (default 512)
      --bpm X               tempo the host reports (default 120)
      --timesig N/D         time signature the host reports (default 4/4)
      --tail SECONDS        time rendered after the last event (default 2)
      --realtime            render as a real-time host would (default: offline)
      --automation-log FILE write every parameter change the plug-in reports, one per line
  quorveline-host state PLUGIN.so --save FILE [--restore FILE] [--program N] [--set INDEX=VALUE]
)";

struct Arguments
{
    juce::StringArray args;

    juce::String get(const juce::String& name, const juce::String& fallback = {}) const
    {
        const int i = args.indexOf(name);
        return (i >= 0 && i + 1 < args.size()) ? args[i + 1] : fallback;
    }
    bool has(const juce::String& name) const { return args.contains(name); }
};

// Records the parameter changes the plug-in reports to its host (automation from the plug-in side).
struct AutomationRecorder : juce::AudioProcessorParameter::Listener
{
    void parameterValueChanged(int index, float value) override
    {
        lines.add(juce::String(index) + " " + juce::String(value, 6));
    }
    void parameterGestureChanged(int index, bool starting) override
    {
        lines.add(juce::String(index) + (starting ? " begin" : " end"));
    }
    juce::StringArray lines;
};

int fail(const juce::String& message)
{
    std::cerr << "quorveline-host: " << message << std::endl;
    return 1;
}

int showInfo(HostedPlugin& plugin)
{
    auto& effect = *plugin.effect;
    std::cout << "name: " << plugin.getEffectName() << "\n"
              << "product: " << plugin.getProductString() << "\n"
              << "vendor: " << plugin.getVendorString() << "\n"
              << "vendor version: 0x" << juce::String::toHexString(plugin.getVendorVersion()) << "\n"
              << "effect version: 0x" << juce::String::toHexString(effect.version) << "\n"
              << "vst version: " << plugin.getVstVersion() << "\n"
              << "unique id: " << uniqueIdToString(effect.uniqueID) << " (0x"
              << juce::String::toHexString(effect.uniqueID) << ")\n"
              << "category: " << categoryToString(plugin.getCategory()) << " (" << plugin.getCategory() << ")\n"
              << "flags: " << flagsToString(effect.flags) << "\n"
              << "inputs: " << effect.numInputs << "\n"
              << "outputs: " << effect.numOutputs << "\n"
              << "latency: " << effect.initialDelay << "\n";
    for (int i = 0; i < effect.numInputs; ++i)
        std::cout << "input " << i << ": " << plugin.getPinLabel(true, i) << "\n";
    for (int i = 0; i < effect.numOutputs; ++i)
        std::cout << "output " << i << ": " << plugin.getPinLabel(false, i) << "\n";

    std::cout << "programs: " << effect.numPrograms << "\n";
    for (int i = 0; i < effect.numPrograms; ++i)
        std::cout << "program " << i << ": " << plugin.getProgramName(i) << "\n";

    std::cout << "parameters: " << effect.numParams << "\n";
    for (int i = 0; i < effect.numParams; ++i)
        std::cout << "parameter " << i << ": " << plugin.getParameterName(i) << " = " << plugin.getParameterDisplay(i)
                  << " [" << effect.getParameter(&effect, i) << "]\n";
    return 0;
}

bool loadFile(const juce::String& path, juce::MemoryBlock& data) { return juce::File(path).loadFileAsData(data); }

// A preset file is one program document; the plug-in takes it as a chunk in its own wrapping.
juce::MemoryBlock wrapPresetAsChunk(const juce::MemoryBlock& xmlText)
{
    juce::MemoryBlock chunk;
    juce::MemoryOutputStream out(chunk, false);
    out.writeInt(0x21324356);
    out.writeInt((int)xmlText.getSize());
    out.write(xmlText.getData(), xmlText.getSize());
    out.writeByte(0);
    out.flush();
    return chunk;
}

bool prepareState(HostedPlugin& plugin, const Arguments& a, juce::String& error)
{
    if (a.has("--program"))
        plugin.instance->setCurrentProgram(a.get("--program").getIntValue());
    for (const char* option : {"--state", "--restore"})
    {
        if (!a.has(option))
            continue;
        juce::MemoryBlock chunk;
        if (!loadFile(a.get(option), chunk))
        {
            error = "cannot read " + a.get(option);
            return false;
        }
        plugin.setChunk(chunk);
    }
    for (int i = 0; i + 1 < a.args.size(); ++i)
    {
        if (a.args[i] != "--set")
            continue;
        const auto assignment = a.args[i + 1];
        const int index = assignment.upToFirstOccurrenceOf("=", false, false).getIntValue();
        const float value = assignment.fromFirstOccurrenceOf("=", false, false).getFloatValue();
        auto* parameter = plugin.instance->getParameters()[index];
        if (parameter == nullptr || !assignment.contains("="))
        {
            error = "no parameter for --set " + assignment;
            return false;
        }
        parameter->setValue(value);
    }
    if (a.has("--preset"))
    {
        juce::MemoryBlock text;
        if (!loadFile(a.get("--preset"), text))
        {
            error = "cannot read " + a.get("--preset");
            return false;
        }
        plugin.setChunk(wrapPresetAsChunk(text));
    }
    return true;
}

bool saveState(HostedPlugin& plugin, const juce::String& path)
{
    const auto chunk = plugin.getChunk();
    return chunk.getSize() > 0 && juce::File(path).replaceWithData(chunk.getData(), chunk.getSize());
}

int render(HostedPlugin& plugin, const Arguments& a, RenderSettings settings)
{
    juce::String error;
    if (!prepareState(plugin, a, error))
        return fail(error);

    juce::MidiMessageSequence sequence;
    juce::String source = "demo phrase";
    if (a.has("--midi"))
    {
        if (!readMidiFile(juce::File(a.get("--midi")), sequence, error))
            return fail(error);
        source = a.get("--midi");
    }
    else
    {
        sequence = makeDemoPhrase(settings.bpm);
    }

    AutomationRecorder recorder;
    for (auto* p : plugin.instance->getParameters())
        p->addListener(&recorder);

    const auto result = renderSequence(plugin, sequence, settings);

    for (auto* p : plugin.instance->getParameters())
        p->removeListener(&recorder);

    const juce::File out(a.get("--out", "render.wav"));
    if (!writeWav(out, result.audio, settings.sampleRate))
        return fail("cannot write " + out.getFullPathName());

    const double audioSeconds = result.audio.getNumSamples() / settings.sampleRate;
    const auto db = [](float x) { return x > 0.0f ? juce::String(20.0 * std::log10(x), 2) : juce::String("-inf"); };
    std::cout << "plugin: " << plugin.getEffectName() << "\n"
              << "program: " << plugin.instance->getCurrentProgram() << " "
              << plugin.getProgramName(plugin.instance->getCurrentProgram()) << "\n"
              << "midi: " << source << " (" << sequence.getNumEvents() << " events)\n"
              << "sample rate: " << settings.sampleRate << "\n"
              << "block size: " << settings.blockSize << "\n"
              << "length: " << juce::String(audioSeconds, 3) << " s\n"
              << "peak: " << juce::String(result.peak, 6) << " (" << db(result.peak) << " dBFS)\n"
              << "rms: " << juce::String(result.rms, 6) << " (" << db(result.rms) << " dBFS)\n"
              << "non-finite samples: " << result.nonFiniteSamples << "\n"
              << "render time: " << juce::String(result.seconds, 4) << " s ("
              << juce::String(result.seconds > 0 ? audioSeconds / result.seconds : 0.0, 1) << "x real time)\n"
              << "output: " << out.getFullPathName() << "\n";

    if (a.has("--automation-log"))
    {
        juce::File(a.get("--automation-log")).replaceWithText(recorder.lines.joinIntoString("\n") + "\n");
        std::cout << "automation events: " << recorder.lines.size() << "\n";
    }
    if (a.has("--save-state"))
    {
        if (!saveState(plugin, a.get("--save-state")))
            return fail("cannot save the state chunk");
        std::cout << "state saved: " << a.get("--save-state") << "\n";
    }
    return 0;
}

int state(HostedPlugin& plugin, const Arguments& a)
{
    juce::String error;
    if (!a.has("--save"))
        return fail("state needs --save FILE");
    if (!prepareState(plugin, a, error))
        return fail(error);
    if (!saveState(plugin, a.get("--save")))
        return fail("cannot save the state chunk");
    std::cout << "state saved: " << a.get("--save") << " (" << plugin.getChunk().getSize() << " bytes)\n";
    return 0;
}
}  // namespace

int main(int argc, char* argv[])
{
    Arguments a;
    for (int i = 1; i < argc; ++i)
        a.args.add(juce::String::fromUTF8(argv[i]));

    if (a.args.size() < 2)
    {
        std::cerr << kUsage;
        return 2;
    }

    const juce::ScopedJuceInitialiser_GUI juce;
    const auto command = a.args[0];

    RenderSettings settings;
    settings.sampleRate = a.get("--rate", "44100").getDoubleValue();
    settings.blockSize = a.get("--block", "512").getIntValue();
    settings.bpm = a.get("--bpm", "120").getDoubleValue();
    settings.tailSeconds = a.get("--tail", "2").getDoubleValue();
    settings.realtime = a.has("--realtime");
    if (a.has("--timesig"))
    {
        settings.timeSigNumerator = a.get("--timesig").upToFirstOccurrenceOf("/", false, false).getIntValue();
        settings.timeSigDenominator = a.get("--timesig").fromFirstOccurrenceOf("/", false, false).getIntValue();
    }
    for (int i = 0; i + 1 < a.args.size(); ++i)
    {
        if (a.args[i] != "--automate")
            continue;
        const auto text = a.args[i + 1];
        ParameterEvent change;
        change.seconds = text.upToFirstOccurrenceOf(":", false, false).getDoubleValue();
        const auto assignment = text.fromFirstOccurrenceOf(":", false, false);
        change.index = assignment.upToFirstOccurrenceOf("=", false, false).getIntValue();
        change.value = assignment.fromFirstOccurrenceOf("=", false, false).getFloatValue();
        settings.automation.push_back(change);
    }
    std::stable_sort(settings.automation.begin(), settings.automation.end(),
                     [](const ParameterEvent& x, const ParameterEvent& y) { return x.seconds < y.seconds; });

    if (settings.sampleRate <= 0 || settings.blockSize <= 0 || settings.bpm <= 0 || settings.tailSeconds < 0)
        return fail("rate, block and bpm must be positive");

    HostedPlugin plugin(a.args[1], settings.sampleRate, settings.blockSize);
    if (!plugin.isLoaded())
        return fail(plugin.error);

    if (command == "info")
        return showInfo(plugin);
    if (command == "render")
        return render(plugin, a, settings);
    if (command == "state")
        return state(plugin, a);

    std::cerr << kUsage;
    return 2;
}
