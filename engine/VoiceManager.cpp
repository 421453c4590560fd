// Voice allocation. Mono re-targets voice 0 and falls back to the last key still held; polyphonic
// prefers silent voices, then releasing ones, and steals the oldest assignment last.
#include "engine/VoiceManager.h"

void VoiceManager::noteOn(int note, float velocity)
{
    if (numberOfVoices <= 1)
    {
        heldNotes.pushFront(note);
        voices[0].setNoteOn(note, true, velocity);
        return;
    }
    noteOnPolyphonic(note, velocity);
}

void VoiceManager::noteOnPolyphonic(int note, float velocity)
{
    for (int i = voiceOrder.count - 1; i >= 0; --i)
        if (voices[(size_t)voiceOrder[i]].isSilent())
            voiceOrder.removeAt(i);

    for (int i = 0; i < voiceOrder.count; ++i)
    {
        auto& voice = voices[(size_t)voiceOrder[i]];
        if (voice.note == note)
        {
            voice.setNoteOn(note, true, velocity);
            return;
        }
    }

    int chosen = -1;
    for (int i = 0; i < numberOfVoices && chosen < 0; ++i)
        if (voices[(size_t)i].isSilent())
            chosen = i;
    for (int i = 0; i < numberOfVoices && chosen < 0; ++i)
        if (!voices[(size_t)i].gate)
            chosen = i;

    if (chosen >= 0)
    {
        voiceOrder.pushFront(chosen);
        voices[(size_t)chosen].setNoteOn(note, true, velocity);
        return;
    }

    // Every usable voice is held: steal the oldest assignment and leave it where it is, so repeated
    // steals fall on the same voice. After a voice-count change the order may be empty: use voice 0.
    const int stolen = voiceOrder.isEmpty() ? 0 : voiceOrder.back();
    if (voiceOrder.isEmpty())
        voiceOrder.pushFront(stolen);
    voices[(size_t)stolen].setNoteOn(note, true, velocity);
}

void VoiceManager::noteOff(int note)
{
    if (numberOfVoices <= 1)
    {
        for (int i = 0; i < heldNotes.count; ++i)
        {
            if (heldNotes[i] == note)
            {
                heldNotes.removeAt(i);
                break;
            }
        }
        auto& voice = voices[0];
        if (heldNotes.isEmpty())
            voice.gate = false;
        else if (voice.note != heldNotes.front())
            voice.setNoteOn(heldNotes.front(), true, 0.0f);
        return;
    }

    for (int i = 0; i < voiceOrder.count; ++i)
    {
        auto& voice = voices[(size_t)voiceOrder[i]];
        if (voice.note == note)
        {
            voice.gate = false;
            return;
        }
    }
}

void VoiceManager::allNotesOff()
{
    for (auto& voice : voices)
        voice.gate = false;
    voiceOrder.clear();
    heldNotes.clear();
}

void VoiceManager::setNumberOfVoices(int count)
{
    numberOfVoices = count < 1 ? 1 : (count > kNumVoices ? kNumVoices : count);
    voiceOrder.clear();
}
