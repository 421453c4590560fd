// The phrase rendered when no MIDI file is given: four bars of chords, bass and a melody.
#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

// Timestamps are in seconds; `bpm` sets the tempo of the phrase.
juce::MidiMessageSequence makeDemoPhrase(double bpm);
