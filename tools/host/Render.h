// Offline rendering of a MIDI sequence through a hosted plug-in.
#pragma once

#include "tools/host/HostedPlugin.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

// A parameter change the host makes between blocks, as its automation would.
struct ParameterEvent
{
    double seconds = 0.0;
    int index = 0;
    float value = 0.0f;
};

struct RenderSettings
{
    double sampleRate = 44100.0;
    int blockSize = 512;
    double bpm = 120.0;
    int timeSigNumerator = 4;
    int timeSigDenominator = 4;
    double tailSeconds = 2.0;
    bool realtime = false;
    std::vector<ParameterEvent> automation;  // in time order
};

struct RenderResult
{
    juce::AudioBuffer<float> audio;  // two channels
    double seconds = 0.0;            // wall-clock time spent in the plug-in
    float peak = 0.0f;
    float rms = 0.0f;
    int nonFiniteSamples = 0;
};

// Renders `sequence` (timestamps in seconds) plus the tail into a stereo buffer.
RenderResult renderSequence(HostedPlugin& plugin, const juce::MidiMessageSequence& sequence,
                            const RenderSettings& settings);

// Reads all tracks of a standard MIDI file into one sequence with timestamps in seconds.
bool readMidiFile(const juce::File& file, juce::MidiMessageSequence& sequence, juce::String& error);

bool writeWav(const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate);
