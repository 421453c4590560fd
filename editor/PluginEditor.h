// The plug-in window.
#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

class PluginProcessor;

class PluginEditor : public juce::AudioProcessorEditor
{
public:
    explicit PluginEditor(PluginProcessor& processor);

    void paint(juce::Graphics& g) override;

    static constexpr int kWidth = 675;
    static constexpr int kHeight = 660;

private:
    PluginProcessor& processor;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(PluginEditor)
};
