// How a voice runs the user envelope: the engine's shared settings and each voice's phase and value.
#pragma once

#include "envelope/EnvelopeEditor.h"

// Destination codes as the destination menu numbers them.
struct UserEnvelopeDestination
{
    enum
    {
        off = 1,
        filter = 2,
        osc1 = 3,
        osc2 = 4,
        osc1And2 = 5,
        fm = 6,
        ringmod = 7,
        volume = 8
    };
};

// One per engine, shared by all voices.
struct UserEnvelopeSettings
{
    // The Volume destination's smoothing; every active voice feeds it once per sample of its own, so
    // the follower is shared rather than per voice. Returns the gain for this voice's output sample.
    float followVolume(float voiceValue) noexcept
    {
        volumeFollower = (2.0f * volumeFollower + voiceValue) * 0.25f;
        return volumeFollower;
    }

    int destination = UserEnvelopeDestination::off;
    float amount = 0.0f;  // 0..1, the square of the amount parameter
    float volumeFollower = 0.0f;
    EnvelopeEditor* envelope = nullptr;
};

// One per voice.
struct UserEnvelopeVoiceState
{
    // At note-on: the curve starts again from its beginning.
    void resetPhase() noexcept { phase = 0.0f; }

    // First thing in every sample of an active voice. Advances the phase (holding at exactly 1 in
    // one-shot mode, carrying the overshoot into the next cycle when looping) and returns the new
    // value, curve × amount, read after the advance. An envelope that is off or at amount 0 yields
    // 0 and keeps its phase.
    float process()
    {
        const auto& shared = *settings;
        if (!(shared.amount > 0.0f) || shared.destination == UserEnvelopeDestination::off || shared.envelope == nullptr)
        {
            value = 0.0f;
            return value;
        }

        auto& curve = *shared.envelope;
        phase += curve.getPhaseStep();
        if (phase >= 1.0f)
            phase = curve.isOneShot.load(std::memory_order_relaxed) ? 1.0f : phase - 1.0f;
        value = curve.getEnvelopeValue(phase) * shared.amount;
        return value;
    }

    UserEnvelopeSettings* settings = nullptr;
    float value = 0.0f;  // curve × amount
    float phase = 0.0f;  // 0..1 through the cycle
};
