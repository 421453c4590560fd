// Assigns notes to the six voices: mono with a stack of held keys, or two to six voices with stealing.
#pragma once

#include "engine/SynthVoice.h"

#include <array>

// A small list that never allocates: when full, the oldest entry (at the back) falls off.
template <typename T, int Capacity>
struct BoundedList
{
    std::array<T, Capacity> items{};
    int count = 0;

    void pushFront(T item) noexcept
    {
        const int moved = count < Capacity ? count : Capacity - 1;
        for (int i = moved; i > 0; --i)
            items[(size_t)i] = items[(size_t)(i - 1)];
        items[0] = item;
        count = moved + 1;
    }
    void removeAt(int index) noexcept
    {
        for (int i = index; i < count - 1; ++i)
            items[(size_t)i] = items[(size_t)(i + 1)];
        --count;
    }
    void clear() noexcept { count = 0; }
    bool isEmpty() const noexcept { return count == 0; }
    T front() const noexcept { return items[0]; }
    T back() const noexcept { return items[(size_t)(count - 1)]; }
    T operator[](int i) const noexcept { return items[(size_t)i]; }
};

class VoiceManager
{
public:
    static constexpr int kNumVoices = 6;

    void noteOn(int note, float velocity);
    void noteOff(int note);
    void allNotesOff();
    void setNumberOfVoices(int count);

    std::array<SynthVoice, kNumVoices> voices;
    int numberOfVoices = kNumVoices;
    // Polyphonic: voice indices, most recently assigned first. A releasing voice may appear twice.
    BoundedList<int, 32> voiceOrder;
    // Mono: the held keys, newest first; a key pressed twice is held twice.
    BoundedList<int, 128> heldNotes;

private:
    void noteOnPolyphonic(int note, float velocity);
};
