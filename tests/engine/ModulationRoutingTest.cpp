// Routing of LFO 1, LFO 2 and the free envelope, LFO 2 on the output, and the LFOs' rate modulation.
#include "engine/ModulationRouting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
constexpr float kSampleRate = 44100.0f;

struct RouteCase
{
    int destination;
    float value;
    float amount;
    VoiceModulation expected;
};

void expectModulation(const VoiceModulation& got, const VoiceModulation& expected)
{
    EXPECT_FLOAT_EQ(got.cutoff, expected.cutoff);
    EXPECT_FLOAT_EQ(got.osc1Pitch, expected.osc1Pitch);
    EXPECT_FLOAT_EQ(got.osc2Pitch, expected.osc2Pitch);
    EXPECT_FLOAT_EQ(got.pulseWidth, expected.pulseWidth);
    EXPECT_FLOAT_EQ(got.fm, expected.fm);
}

// Each case routes one LFO value at one destination through `add` into a fresh record.
template <size_t N>
void expectLfoRoutes(const RouteCase (&cases)[N], void (*add)(const LfoHandler&, VoiceModulation&))
{
    for (const RouteCase& c : cases)
    {
        SCOPED_TRACE(c.destination);
        LfoHandler lfo(kSampleRate);
        lfo.destination = c.destination;
        lfo.value = c.value;
        lfo.amount = c.amount;
        VoiceModulation m;
        add(lfo, m);
        expectModulation(m, c.expected);
    }
}

VoiceModulation mod(float cutoff, float osc1, float osc2, float pulseWidth, float fm)
{
    VoiceModulation m;
    m.cutoff = cutoff;
    m.osc1Pitch = osc1;
    m.osc2Pitch = osc2;
    m.pulseWidth = pulseWidth;
    m.fm = fm;
    return m;
}

// Pitch swings +-48 semitones with the signed depth; cutoff uses the LFO as 0..1 with the signed
// depth; pulse width and FM use it as 0..1 with the depth's magnitude.
TEST(ModulationRoutingTest, Lfo1Destinations)
{
    const RouteCase cases[] = {
        {1, 0.5f, -0.5f, mod(0, 0, 0, 0, 0)},      {2, 0.5f, -0.5f, mod(-0.375f, 0, 0, 0, 0)},
        {3, 0.5f, -0.5f, mod(0, -12.0f, 0, 0, 0)}, {4, -1.0f, 0.25f, mod(0, 0, -12.0f, 0, 0)},
        {5, 0.5f, -0.5f, mod(0, 0, 0, 0.375f, 0)}, {6, 0.5f, -0.5f, mod(0, 0, 0, 0, 0.375f)},
        {7, 0.5f, -0.5f, mod(0, 0, 0, 0, 0)},      {8, 1.0f, 1.0f, mod(0, 48.0f, 48.0f, 0, 0)},
        {0, 1.0f, 1.0f, mod(0, 0, 0, 0, 0)},       {99, 1.0f, 1.0f, mod(0, 0, 0, 0, 0)},
    };
    expectLfoRoutes(cases, modulation::addLfo1);
}

// Codes 5 and 6 of LFO 2 act on the engine's output, not on the voice.
TEST(ModulationRoutingTest, Lfo2Destinations)
{
    const RouteCase cases[] = {
        {2, 0.5f, -0.5f, mod(-0.375f, 0, 0, 0, 0)}, {3, 0.5f, -0.5f, mod(0, -12.0f, 0, 0, 0)},
        {4, 0.5f, -0.5f, mod(0, 0, -12.0f, 0, 0)},  {5, 0.5f, -0.5f, mod(0, 0, 0, 0, 0)},
        {6, 0.5f, -0.5f, mod(0, 0, 0, 0, 0)},       {8, -0.5f, 0.5f, mod(0, -12.0f, -12.0f, 0, 0)},
    };
    expectLfoRoutes(cases, modulation::addLfo2);
}

TEST(ModulationRoutingTest, FreeEnvelopeDestinations)
{
    const RouteCase cases[] = {
        {1, 0.5f, -0.5f, mod(0, 0, 0, 0, 0)},      {2, 0.5f, -0.5f, mod(-0.25f, 0, 0, 0, 0)},
        {3, 0.5f, -0.5f, mod(0, -12.0f, 0, 0, 0)}, {4, 0.5f, -0.5f, mod(0, 0, -12.0f, 0, 0)},
        {5, 0.5f, -0.5f, mod(0, 0, 0, 0.25f, 0)},  {6, 0.5f, -0.5f, mod(0, 0, 0, 0, 0.25f)},
        {7, 0.5f, -0.5f, mod(0, 0, 0, 0, 0)},
    };
    for (const RouteCase& c : cases)
    {
        SCOPED_TRACE(c.destination);
        FreeEnvelope env(kSampleRate);
        env.destination = c.destination;
        env.value = c.value;
        env.amount = c.amount;
        VoiceModulation m;
        modulation::addFreeEnvelope(env, m);
        expectModulation(m, c.expected);
    }
}

TEST(ModulationRoutingTest, Lfo2PansAndScalesTheOutput)
{
    LfoHandler lfo(kSampleRate);
    lfo.amount = -1.0f;
    float left = 1.0f;
    float right = 1.0f;

    lfo.destination = Lfo2Destination::pan;
    lfo.value = 1.0f;  // fully to one side: the left channel silenced whatever the depth's sign
    modulation::applyLfo2ToOutput(lfo, left, right);
    EXPECT_FLOAT_EQ(left, 0.0f);
    EXPECT_FLOAT_EQ(right, 1.0f);

    left = right = 1.0f;
    lfo.value = 0.0f;  // centre at full depth: both halved
    modulation::applyLfo2ToOutput(lfo, left, right);
    EXPECT_FLOAT_EQ(left, 0.5f);
    EXPECT_FLOAT_EQ(right, 0.5f);

    left = right = 1.0f;
    lfo.destination = Lfo2Destination::volume;
    lfo.value = 1.0f;  // a negative depth raises the level, up to twice
    modulation::applyLfo2ToOutput(lfo, left, right);
    EXPECT_FLOAT_EQ(left, 2.0f);
    EXPECT_FLOAT_EQ(right, 2.0f);

    left = right = 1.0f;
    lfo.destination = Lfo2Destination::filter;
    modulation::applyLfo2ToOutput(lfo, left, right);
    EXPECT_FLOAT_EQ(left, 1.0f);
}

// Cycles per second of `target` while advanceLfos runs both LFOs, measured from its phase.
double measuredFrequency(LfoHandler& lfo1, LfoHandler& lfo2, LfoHandler& target)
{
    double steps = 0.0;
    float last = target.lfo.phase;
    for (int i = 0; i < 44100; ++i)
    {
        modulation::advanceLfos(lfo1, lfo2);
        const float now = target.lfo.phase;
        steps += now >= last ? now - last : now + 255.0f - last;
        last = now;
    }
    return steps / 255.0;
}

// The modulator is held at its top (a square in its positive half, rate 0).
TEST(ModulationRoutingTest, RateModulationSpeedsUpAtMost101TimesAndSlowsAtMostOnePercent)
{
    struct Case
    {
        bool lfo2ModulatesLfo1;
        float amount;
        double expectedFactor;
    };
    const Case cases[] = {
        {true, 1.0f, 101.0},  {true, -1.0f, 0.99},  {true, 0.5f, 1.0 + 100.0 * 0.125},
        {false, 1.0f, 101.0}, {false, -1.0f, 0.99},
    };
    for (const Case& c : cases)
    {
        LfoHandler lfo1(kSampleRate);
        LfoHandler lfo2(kSampleRate);
        LfoHandler& modulator = c.lfo2ModulatesLfo1 ? lfo2 : lfo1;
        LfoHandler& target = c.lfo2ModulatesLfo1 ? lfo1 : lfo2;
        modulator.waveform = Lfo::square;
        modulator.setBaseRate(0.0f);
        modulator.destination = 7;
        modulator.amount = c.amount;
        modulator.value = 1.0f;
        modulator.lfo.smoothedValue = 1.0f;
        target.setBaseRate(0.5f);
        target.destination = 1;
        EXPECT_NEAR(measuredFrequency(lfo1, lfo2, target), 0.5 * c.expectedFactor * 256.0 / 255.0,
                    0.5 * c.expectedFactor * 1e-3);
    }
}

// A preset's out-of-range depth must not make the rate modulation hang or go non-finite.
TEST(ModulationRoutingTest, ExtremeDepthsStayFinite)
{
    for (const float amount : {27.0f, -27.0f, 1e30f, std::numeric_limits<float>::quiet_NaN()})
    {
        LfoHandler lfo1(kSampleRate);
        LfoHandler lfo2(kSampleRate);
        lfo1.destination = 7;
        lfo2.destination = 7;
        lfo1.amount = amount;
        lfo2.amount = amount;
        for (int i = 0; i < 10000; ++i)
        {
            modulation::advanceLfos(lfo1, lfo2);
            ASSERT_TRUE(std::isfinite(lfo1.value));
            ASSERT_TRUE(std::isfinite(lfo2.value));
        }
    }
}
}  // namespace
