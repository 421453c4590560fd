// Loading and querying a VST2 plug-in through its real entry point.
#include "tools/host/HostedPlugin.h"

#include <vector>

namespace
{
struct EffectFinder : juce::ExtensionsVisitor
{
    void visitVSTClient(const VSTClient& client) override { effect = client.getAEffectPtr(); }
    AEffect* effect = nullptr;
};
}  // namespace

HostedPlugin::HostedPlugin(const juce::String& path, double sampleRate, int blockSize)
{
    const juce::File file(path);
    if (!file.existsAsFile())
    {
        error = "no such file: " + path;
        return;
    }

    juce::VSTPluginFormat format;
    juce::OwnedArray<juce::PluginDescription> types;
    format.findAllTypesForFile(types, file.getFullPathName());
    if (types.isEmpty())
    {
        error = "not a loadable VST2 plug-in: " + path;
        return;
    }

    instance = format.createInstanceFromDescription(*types[0], sampleRate, blockSize, error);
    if (instance == nullptr)
        return;

    EffectFinder finder;
    instance->getExtensions(finder);
    effect = reinterpret_cast<Vst2::AEffect*>(finder.effect);
    if (effect == nullptr)
        error = "the plug-in exposes no effect record";
}

Vst2::VstIntPtr HostedPlugin::dispatch(int opcode, int index, Vst2::VstIntPtr value, void* ptr, float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

juce::String HostedPlugin::dispatchForString(int opcode, int index, size_t capacity)
{
    // Plug-ins often write past the documented lengths; give them generous room.
    std::vector<char> text(capacity + 256, 0);
    dispatch(opcode, index, 0, text.data());
    return juce::String::fromUTF8(text.data());
}

juce::String HostedPlugin::getEffectName()
{
    return dispatchForString(Vst2::effGetEffectName, 0, Vst2::kVstMaxEffectNameLen);
}
juce::String HostedPlugin::getVendorString()
{
    return dispatchForString(Vst2::effGetVendorString, 0, Vst2::kVstMaxVendorStrLen);
}
juce::String HostedPlugin::getProductString()
{
    return dispatchForString(Vst2::effGetProductString, 0, Vst2::kVstMaxProductStrLen);
}
int HostedPlugin::getVendorVersion() { return (int)dispatch(Vst2::effGetVendorVersion, 0, 0, nullptr); }
int HostedPlugin::getVstVersion() { return (int)dispatch(Vst2::effGetVstVersion, 0, 0, nullptr); }
int HostedPlugin::getCategory() { return (int)dispatch(Vst2::effGetPlugCategory, 0, 0, nullptr); }

juce::String HostedPlugin::getProgramName(int index)
{
    return dispatchForString(Vst2::effGetProgramNameIndexed, index, Vst2::kVstMaxProgNameLen);
}

juce::String HostedPlugin::getParameterName(int index)
{
    return dispatchForString(Vst2::effGetParamName, index, Vst2::kVstMaxParamStrLen);
}

juce::String HostedPlugin::getParameterDisplay(int index)
{
    return dispatchForString(Vst2::effGetParamDisplay, index, Vst2::kVstMaxParamStrLen);
}

juce::String HostedPlugin::getPinLabel(bool isInput, int index)
{
    Vst2::VstPinProperties pin{};
    if (dispatch(isInput ? Vst2::effGetInputProperties : Vst2::effGetOutputProperties, index, 0, &pin) == 0)
        return {};
    return juce::String::fromUTF8(pin.label, (int)strnlen(pin.label, sizeof(pin.label)));
}

juce::MemoryBlock HostedPlugin::getChunk(bool isPreset)
{
    void* data = nullptr;
    const auto size = dispatch(Vst2::effGetChunk, isPreset ? 1 : 0, 0, &data);
    if (data == nullptr || size <= 0)
        return {};
    return juce::MemoryBlock(data, (size_t)size);
}

void HostedPlugin::setChunk(const juce::MemoryBlock& chunk, bool isPreset)
{
    dispatch(Vst2::effSetChunk, isPreset ? 1 : 0, (Vst2::VstIntPtr)chunk.getSize(), const_cast<void*>(chunk.getData()));
}

juce::String uniqueIdToString(int id)
{
    juce::String s;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const auto c = (char)((id >> shift) & 0xff);
        s << (juce::CharacterFunctions::isPrintable(c) ? juce::String::charToString(c) : juce::String("?"));
    }
    return s;
}

juce::String categoryToString(int category)
{
    static const char* const names[] = {"unknown",     "effect",          "synth",   "analysis",
                                        "mastering",   "spacializer",     "room fx", "surround fx",
                                        "restoration", "offline process", "shell",   "generator"};
    return juce::isPositiveAndBelow(category, (int)std::size(names)) ? names[category] : "unknown";
}

juce::String flagsToString(int flags)
{
    struct Flag
    {
        int bit;
        const char* name;
    };
    static const Flag known[] = {
        {Vst2::effFlagsHasEditor, "HasEditor"},         {Vst2::effFlagsCanReplacing, "CanReplacing"},
        {Vst2::effFlagsProgramChunks, "ProgramChunks"}, {Vst2::effFlagsIsSynth, "IsSynth"},
        {Vst2::effFlagsNoSoundInStop, "NoSoundInStop"}, {Vst2::effFlagsCanDoubleReplacing, "CanDoubleReplacing"}};
    juce::StringArray names;
    for (const auto& f : known)
        if ((flags & f.bit) != 0)
            names.add(f.name);
    return juce::String::toHexString(flags) + " (" + names.joinIntoString(" ") + ")";
}
