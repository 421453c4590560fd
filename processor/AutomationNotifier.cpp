// The notifier drains the queue every 20 ms: it moves every waiting entry out in one hold of the
// callback lock, so nothing appended meanwhile is lost or sent twice, then posts the messages in order.
#include "processor/AutomationNotifier.h"

#include "processor/PluginProcessor.h"

AutomationNotifier::AutomationNotifier(PluginProcessor& owner)
    : juce::Thread("Midi Controller Notifications")
    , processor(owner)
{
}

AutomationNotifier::~AutomationNotifier() { stopThread(100); }

bool AutomationNotifier::enqueue(int index, float value) noexcept
{
    if (count >= kQueueSize)
        return false;
    queue[(size_t)count++] = {index, value};
    return true;
}

void AutomationNotifier::run()
{
    std::array<Entry, kQueueSize> pending;
    while (!threadShouldExit())
    {
        int n = 0;
        {
            const juce::ScopedLock lock(processor.getCallbackLock());
            n = count;
            std::copy(queue.begin(), queue.begin() + n, pending.begin());
            count = 0;
        }
        // Posting allocates; it happens here, never on the audio thread. Without a message
        // system (the plug-in is being unloaded) the message is discarded.
        for (int j = 0; j < n; ++j)
            processor.postMessage(new ParameterChangedMessage(pending[(size_t)j].index, pending[(size_t)j].value));

        wait(kPeriodMs);
    }
}
