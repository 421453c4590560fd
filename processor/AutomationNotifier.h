// Carries controller changes from the audio thread to the message thread, where the host may be
// told about them as automation.
#pragma once

#include <juce_events/juce_events.h>

#include <array>

class PluginProcessor;

// One controller-driven parameter change, delivered to the processor on the message thread.
class ParameterChangedMessage : public juce::Message
{
public:
    ParameterChangedMessage(int parameterIndex, float newValue) : index(parameterIndex), value(newValue) {}

    int index;
    float value;
};

class AutomationNotifier : public juce::Thread
{
public:
    static constexpr int kQueueSize = 600;
    static constexpr int kPeriodMs = 20;

    explicit AutomationNotifier(PluginProcessor& owner);
    ~AutomationNotifier() override;

    // Audio thread, with the processor's callback lock held. Never blocks or allocates; a full
    // queue drops the change.
    bool enqueue(int index, float value) noexcept;

    void run() override;

    struct Entry
    {
        int index = 0;
        float value = 0.0f;
    };

    PluginProcessor& processor;
    std::array<Entry, kQueueSize> queue{};
    int count = 0;  // guarded by the processor's callback lock
};
