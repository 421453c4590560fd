// A Linux VST2 plug-in loaded through JUCE's VST host, with direct access to its effect record for
// what JUCE does not expose (raw chunks, category, flags, vendor version).
#pragma once

#include "tools/host/VstInterface.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

class HostedPlugin
{
public:
    // Loads the plug-in at `path`; on failure `isLoaded` is false and `error` says why.
    HostedPlugin(const juce::String& path, double sampleRate, int blockSize);

    bool isLoaded() const noexcept { return instance != nullptr && effect != nullptr; }

    juce::String getEffectName();
    juce::String getVendorString();
    juce::String getProductString();
    int getVendorVersion();
    int getVstVersion();
    int getCategory();
    juce::String getProgramName(int index);
    juce::String getParameterName(int index);
    juce::String getParameterDisplay(int index);
    juce::String getPinLabel(bool isInput, int index);

    // The plug-in's own chunk bytes (the current program chunk when `isPreset`).
    juce::MemoryBlock getChunk(bool isPreset = false);
    void setChunk(const juce::MemoryBlock& chunk, bool isPreset = false);

    juce::String error;
    std::unique_ptr<juce::AudioPluginInstance> instance;
    Vst2::AEffect* effect = nullptr;

private:
    Vst2::VstIntPtr dispatch(int opcode, int index, Vst2::VstIntPtr value, void* ptr, float opt = 0.0f);
    juce::String dispatchForString(int opcode, int index, size_t capacity);
};

// Four characters of a VST2 unique id, most significant first.
juce::String uniqueIdToString(int id);
juce::String categoryToString(int category);
juce::String flagsToString(int flags);
