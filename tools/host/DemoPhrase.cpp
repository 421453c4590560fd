// Four bars in A minor at the given tempo: sustained chords, an eighth-note melody and a low bass,
// so one render exercises polyphony, note overlaps, velocities and the release tails.
#include "tools/host/DemoPhrase.h"

namespace
{
// A short lead-in: a freshly loaded instrument settles its program in its first blocks, as it would
// while a host idles before playback.
constexpr double kLeadInSeconds = 0.25;

void addNote(juce::MidiMessageSequence& seq, int note, double startBeat, double lengthBeats, int velocity,
             double secondsPerBeat)
{
    seq.addEvent(juce::MidiMessage::noteOn(1, note, (juce::uint8)velocity),
                 kLeadInSeconds + startBeat * secondsPerBeat);
    seq.addEvent(juce::MidiMessage::noteOff(1, note), kLeadInSeconds + (startBeat + lengthBeats) * secondsPerBeat);
}
}  // namespace

juce::MidiMessageSequence makeDemoPhrase(double bpm)
{
    const double secondsPerBeat = 60.0 / bpm;
    juce::MidiMessageSequence seq;

    // Am, F, C, G: one chord per bar, slightly detached.
    const int chords[4][3] = {{57, 60, 64}, {53, 57, 60}, {55, 60, 64}, {55, 59, 62}};
    const int bass[4] = {33, 29, 36, 31};
    for (int bar = 0; bar < 4; ++bar)
    {
        for (int note : chords[bar])
            addNote(seq, note, bar * 4.0, 3.75, 80, secondsPerBeat);
        addNote(seq, bass[bar], bar * 4.0, 1.5, 100, secondsPerBeat);
        addNote(seq, bass[bar] + 12, bar * 4.0 + 2.0, 1.5, 90, secondsPerBeat);
    }

    const int melody[] = {76, 74, 72, 71, 72, 74, 76, 79, 77, 76, 74, 72, 74, 72, 71, 69};
    for (int i = 0; i < 16; ++i)
        addNote(seq, melody[i], i * 1.0, 0.45, 96 - (i % 4) * 8, secondsPerBeat);
    addNote(seq, 81, 16.0, 2.0, 100, secondsPerBeat);

    seq.updateMatchedPairs();
    return seq;
}
