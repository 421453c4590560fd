// The master effects through the real binary: echoes at their computed times, chorus width, reverb
// tails, and a reverb at wet 0 that leaves the sound exactly as it was.
#include "tests/plugin/PlayingSupport.h"

#include <gtest/gtest.h>

using namespace playing;

namespace
{
// A short sine blip: instant attack, fast decay to silence.
Patch blip(std::initializer_list<Attribute> effects)
{
    auto patch = withChanges(kSinePatch, {{"ampdecay", 0.0}, {"ampsustain", 0.0}, {"amprelease", 0.0}});
    patch.insert(patch.end(), effects.begin(), effects.end());
    return patch;
}

// First sample at or after `from` whose level exceeds `threshold`.
int onset(const juce::AudioBuffer<float>& audio, int from, float threshold)
{
    for (int i = from; i < audio.getNumSamples(); ++i)
        if (std::abs(audio.getSample(0, i)) > threshold)
            return i;
    return -1;
}

double energy(const juce::AudioBuffer<float>& audio, int channel, int from, int to)
{
    double sum = 0.0;
    for (int i = from; i < std::min(to, audio.getNumSamples()); ++i)
        sum += (double)audio.getSample(channel, i) * audio.getSample(channel, i);
    return sum;
}
}  // namespace

TEST(EffectsBinary, EchoesArriveAtTheComputedTime)
{
    const auto e20 = [](double x) { return (std::pow(20.0, x) - 1.0) / 19.0; };
    struct Case
    {
        const char* what;
        Patch patch;
        double echoSeconds;
    };
    const Case cases[] = {
        {"free 0.5", blip({{"delaywet", 1.0}, {"delayfeedback", 0.0}, {"delaytime", 0.5}, {"delaysync", 0.0}}),
         4.0 * ((float)e20(0.5) * 0.99f + 0.01f)},
        {"free 0.2", blip({{"delaywet", 1.0}, {"delayfeedback", 0.0}, {"delaytime", 0.2}, {"delaysync", 0.0}}),
         4.0 * ((float)e20(0.2) * 0.99f + 0.01f)},
        {"synced at 120", blip({{"delaywet", 1.0}, {"delayfeedback", 0.0}, {"delaytime", 0.5}, {"delaysync", 1.0}}),
         4.0 * 45.0 / 120.0},
        {"synced, halved",
         blip({{"delaywet", 1.0},
               {"delayfeedback", 0.0},
               {"delaytime", 0.5},
               {"delaysync", 1.0},
               {"delayfactorl", 1.0}}),
         2.0 * 45.0 / 120.0},
    };

    for (const auto& c : cases)
    {
        auto plugin = loadPluginWithPatch(c.patch);
        ASSERT_NE(plugin, nullptr);
        const auto result =
            render(*plugin, makeSequence({{69, kLeadIn, kLeadIn + 0.01}}), kRate, 512, c.echoSeconds + 0.5);
        const int note = onset(result.audio, 0, 0.01f);
        ASSERT_GT(note, 0) << c.what;
        // Past the blip (a few milliseconds), the next sound is the echo.
        const int echo = onset(result.audio, note + (int)(0.03 * kRate), 0.01f);
        ASSERT_GT(echo, 0) << c.what;
        EXPECT_NEAR((echo - note) / kRate, c.echoSeconds, 0.002) << c.what;
    }
}

TEST(EffectsBinary, ReverbAtWetZeroLeavesTheSoundExactlyAsItWas)
{
    const auto sequence = makeSequence({{57, kLeadIn, kLeadIn + 0.5}, {64, kLeadIn + 0.2, kLeadIn + 0.6}});
    auto plain = loadPluginWithPatch(withChanges(kBusyPatch, {{"reverbwet", 0.0}}));
    auto dialled = loadPluginWithPatch(withChanges(kBusyPatch, {{"reverbwet", 0.0},
                                                                {"reverbdecay", 0.95},
                                                                {"reverbpredelay", 0.7},
                                                                {"reverbhighcut", 0.3},
                                                                {"reverblowcut", 0.2}}));
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(dialled, nullptr);
    std::srand(7);
    const auto a = render(*plain, sequence);
    std::srand(7);
    const auto b = render(*dialled, sequence);
    ASSERT_EQ(a.audio.getNumSamples(), b.audio.getNumSamples());
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < a.audio.getNumSamples(); ++i)
            ASSERT_EQ(a.audio.getSample(ch, i), b.audio.getSample(ch, i)) << ch << " " << i;
}

TEST(EffectsBinary, ReverbLeavesATailThatGrowsWithItsDecay)
{
    const auto sequence = makeSequence({{69, kLeadIn, kLeadIn + 0.2}});
    double tails[3] = {};
    const double decays[3] = {0.0, 0.5, 0.95};
    for (int k = 0; k < 3; ++k)
    {
        const double wet = k == 0 ? 0.0 : 0.6;
        auto plugin = loadPluginWithPatch(withChanges(kSinePatch, {{"reverbwet", wet}, {"reverbdecay", decays[k]}}));
        ASSERT_NE(plugin, nullptr);
        const auto result = render(*plugin, sequence, kRate, 512, 2.0);
        const int end = (int)((kLeadIn + 0.25) * kRate);
        tails[k] = energy(result.audio, 0, end, end + (int)kRate);
    }
    EXPECT_LT(tails[0], 1e-6);
    EXPECT_GT(tails[1], 1e-3);
    EXPECT_GT(tails[2], tails[1] * 2.0);
}

TEST(EffectsBinary, ChorusWidensTheMonoVoiceIntoStereo)
{
    const auto sequence = makeSequence({{57, kLeadIn, kLeadIn + 1.0}});
    for (const auto& [chorus1, chorus2] :
         {std::pair{0.0, 0.0}, std::pair{1.0, 0.0}, std::pair{0.0, 1.0}, std::pair{1.0, 1.0}})
    {
        auto plugin =
            loadPluginWithPatch(withChanges(kSinePatch, {{"chorus1enable", chorus1}, {"chorus2enable", chorus2}}));
        ASSERT_NE(plugin, nullptr);
        const auto result = render(*plugin, sequence);
        double difference = 0.0;
        for (int i = 0; i < result.audio.getNumSamples(); ++i)
            difference += std::pow(result.audio.getSample(0, i) - result.audio.getSample(1, i), 2.0);
        const double total = energy(result.audio, 0, 0, result.audio.getNumSamples());
        if (chorus1 == 0.0 && chorus2 == 0.0)
            EXPECT_EQ(difference, 0.0);
        else
            EXPECT_GT(difference, total * 0.01) << chorus1 << " " << chorus2;
    }
}
