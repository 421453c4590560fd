// Learning controllers, driving parameters with them, and reporting the changes to the host.
#include "engine/SynthEngine.h"
#include "processor/PluginProcessor.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace P = ParameterIndex;

namespace
{
// Records what the host would be told.
struct HostListener : juce::AudioProcessorListener
{
    void audioProcessorParameterChanged(juce::AudioProcessor*, int index, float value) override
    {
        changes.push_back({index, value});
    }
    void audioProcessorChanged(juce::AudioProcessor*, const ChangeDetails&) override {}

    std::vector<std::pair<int, float>> changes;
};

class MidiLearn : public testing::Test
{
protected:
    MidiLearn()
    {
        processor.setRateAndBufferSizeDetails(44100.0, 512);
        processor.setNonRealtime(true);
        block();
        block();
    }

    void block(std::initializer_list<juce::MidiMessage> controllers = {})
    {
        juce::AudioBuffer<float> audio(2, 64);
        juce::MidiBuffer midi;
        int position = 0;
        for (const auto& m : controllers)
            midi.addEvent(m, position++ % 64);
        processor.processBlock(audio, midi);
    }

    static juce::MidiMessage cc(int controller, int value, int channel = 1)
    {
        return juce::MidiMessage::controllerEvent(channel, controller, value);
    }

    void deliverMessages(int milliseconds = 150)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil(milliseconds);
    }

    PluginProcessor processor;
};
}  // namespace

TEST_F(MidiLearn, AControllerBindsToTheLastTouchedParameterEverywhere)
{
    processor.setParameter(P::midiLearn, 1.0f);
    processor.setParameter(P::cutoff, 0.2f);
    block({cc(74, 127, 9)});
    for (const auto& program : processor.programs)
        EXPECT_EQ(program.controllerMap[74], P::cutoff);
    EXPECT_FLOAT_EQ(processor.getParameter(P::cutoff), 1.0f);  // it moves in the message that teaches it

    processor.setParameter(P::midiLearn, 0.0f);
    for (const auto& [value, expected] : {std::pair{0, 0.0f}, std::pair{64, 64.0f / 127.0f}, std::pair{127, 1.0f}})
    {
        block({cc(74, value)});
        EXPECT_FLOAT_EQ(processor.getParameter(P::cutoff), expected);
    }
}

TEST_F(MidiLearn, RightAfterSwitchingLearningOnAControllerBindsToTheSwitchItself)
{
    processor.setParameter(P::midiLearn, 1.0f);
    block({cc(20, 0)});
    EXPECT_EQ(processor.programs[0].controllerMap[20], P::midiLearn);
    EXPECT_EQ(processor.getParameter(P::midiLearn), 0.0f);  // and that controller turned learning off

    block({cc(21, 100)});
    EXPECT_EQ(processor.programs[0].controllerMap[21], 0);
}

TEST_F(MidiLearn, UnassignedControllersChangeNothing)
{
    const auto before = processor.programs[0].values;
    block({cc(1, 90), cc(7, 20), cc(64, 127)});
    EXPECT_EQ(processor.programs[0].values, before);
}

TEST_F(MidiLearn, InRealTimeTheChangeReachesTheHostThroughTheMessageThread)
{
    HostListener host;
    processor.addListener(&host);
    processor.setNonRealtime(false);
    for (auto& program : processor.programs)
        program.controllerMap[11] = P::resonance;

    block({cc(11, 127)});
    EXPECT_EQ(processor.getParameter(P::resonance), 0.0f);  // not yet: it travels through the notifier
    deliverMessages();
    EXPECT_FLOAT_EQ(processor.getParameter(P::resonance), 1.0f);
    ASSERT_EQ(host.changes.size(), 1u);
    EXPECT_EQ(host.changes[0].first, P::resonance);
    processor.removeListener(&host);
}

TEST_F(MidiLearn, AFullQueueDropsTheRest)
{
    HostListener host;
    processor.addListener(&host);
    processor.setNonRealtime(false);
    for (auto& program : processor.programs)
        program.controllerMap[12] = P::resonance;

    // The audio thread holds the callback lock for the whole block, so the notifier cannot drain
    // while these 700 arrive.
    juce::AudioBuffer<float> audio(2, 64);
    juce::MidiBuffer midi;
    for (int i = 0; i < 700; ++i)
        midi.addEvent(cc(12, i % 128), 0);
    processor.processBlock(audio, midi);
    deliverMessages(300);
    EXPECT_EQ(host.changes.size(), (size_t)AutomationNotifier::kQueueSize);
    processor.removeListener(&host);
}

// Entries appended while the notifier drains are neither lost nor sent twice.
TEST_F(MidiLearn, TheDrainDeliversEveryEntryOnceAndInOrder)
{
    HostListener host;
    processor.addListener(&host);
    constexpr int total = 3000;

    std::thread audio(
        [this]
        {
            for (int i = 0; i < total;)
            {
                const juce::ScopedLock lock(processor.getCallbackLock());
                if (processor.notifier->count < AutomationNotifier::kQueueSize)
                    processor.notifier->enqueue(P::resonance, (float)i++ / total);
            }
        });
    for (int i = 0; i < 100 && host.changes.size() < (size_t)total; ++i)
        deliverMessages(50);
    audio.join();
    deliverMessages(100);

    ASSERT_EQ(host.changes.size(), (size_t)total);
    for (int i = 0; i < total; ++i)
        ASSERT_FLOAT_EQ(host.changes[(size_t)i].second, (float)i / total) << i;
    processor.removeListener(&host);
}

TEST_F(MidiLearn, EnvelopeEditsReachTheProgramOnlyThroughEnvelopeChanged)
{
    auto& envelope = *processor.engine->envelope;
    {
        const juce::ScopedLock lock(envelope.lock);
        envelope.points.add(0.5f, 0.9f);
        envelope.points.sort();
    }
    EXPECT_EQ(processor.programs[0].splinePoints.size(), 2);
    processor.envelopeChanged();
    ASSERT_EQ(processor.programs[0].splinePoints.size(), 3);
    EXPECT_FLOAT_EQ(processor.programs[0].splinePoints[1].centerPoint.y, 0.9f);

    processor.setParameter(P::envelopeReset, 1.0f);
    EXPECT_EQ(envelope.points.size(), 2);
    EXPECT_EQ(processor.programs[0].splinePoints.size(), 3);
}

// Run under valgrind or a leak sanitizer, this also shows that a hundred lifetimes leak nothing.
TEST(AutomationNotifierLifetime, ManyProcessorsComeAndGo)
{
    for (int i = 0; i < 100; ++i)
    {
        PluginProcessor processor;
        EXPECT_TRUE(processor.notifier->isThreadRunning());
        EXPECT_EQ(processor.notifier->getThreadName(), "Midi Controller Notifications");
    }
}
