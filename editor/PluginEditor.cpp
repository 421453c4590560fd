// A fixed-size window; its controls arrive with the editor's artwork.
#include "editor/PluginEditor.h"

#include "processor/PluginProcessor.h"

PluginEditor::PluginEditor(PluginProcessor& p) : juce::AudioProcessorEditor(p), processor(p)
{
    setResizable(false, false);
    setSize(kWidth, kHeight);
}

void PluginEditor::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colour(0xff1e2126));
    g.setColour(juce::Colours::white);
    g.setFont(18.0f);
    g.drawFittedText(processor.getName(), getLocalBounds(), juce::Justification::centred, 1);
}
