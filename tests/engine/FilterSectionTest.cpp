// Filter section: frequency response of every type, pass-band gains, drive, sample-rate independence,
// self-oscillation, the idle tail and bad input.
#include "engine/FilterSection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "tests/engine/SignalMeasure.h"

namespace
{
constexpr float kSampleRate = 44100.0f;

double sectionGain(int type, float c, float r, double frequency, float sampleRate = kSampleRate,
                   float amplitude = 0.01f, float drive = 0.0f)
{
    FilterSection section(sampleRate);
    section.type = type;
    section.drive = drive;
    return measure::sineGain([&](float x) { return section.process(x, c, r); }, frequency, sampleRate, amplitude, 8192,
                             static_cast<int>(sampleRate));
}

struct Probe
{
    double frequency;
    double low;
    double high;
};

struct ResponseCase
{
    int type;
    float c;
    std::vector<Probe> probes;
};

class FilterResponseTest : public ::testing::TestWithParam<ResponseCase>
{
};

TEST_P(FilterResponseTest, GainAtProbeFrequencies)
{
    const ResponseCase& c = GetParam();
    for (const Probe& p : c.probes)
    {
        SCOPED_TRACE(p.frequency);
        const double gain = sectionGain(c.type, c.c, 0.0f, p.frequency);
        EXPECT_GE(gain, p.low);
        EXPECT_LE(gain, p.high);
    }
}

// At cutoff 0.1 and no resonance the ladder's one-pole corner is 0.1 * 22,050 Hz times its tuning:
// about 3,070 Hz for the 24 dB low-pass (tuning 1.39) and 2,185 Hz for the others (0.99); the
// state-variable corner is 2,206 Hz. At the corner n poles give (1 / sqrt 2)^n. The linear
// interpolation of the upsampler costs about 2 dB at 12 kHz.
INSTANTIATE_TEST_SUITE_P(
    Types, FilterResponseTest,
    ::testing::Values(ResponseCase{1, 0.1f, {{100, 0.98, 1.0}, {3070, 0.22, 0.28}, {12000, 0.0, 0.005}}},
                      ResponseCase{2, 0.1f, {{100, 0.98, 1.02}, {2185, 0.32, 0.39}, {12000, 0.0, 0.01}}},
                      ResponseCase{3, 0.1f, {{100, 0.98, 1.02}, {2185, 0.46, 0.54}, {12000, 0.0, 0.04}}},
                      ResponseCase{4, 0.1f, {{100, 0.98, 1.02}, {2185, 0.67, 0.74}, {12000, 0.0, 0.2}}},
                      // High-pass: two poles, (1 / sqrt 2)^2 at the corner.
                      ResponseCase{5, 0.1f, {{100, 0.0, 0.003}, {2185, 0.45, 0.55}, {8000, 0.7, 1.0}}},
                      // Band-pass: input gain 4 times 2 * L^2 * (1 - L)^2, which peaks at 2 at the corner.
                      ResponseCase{6, 0.1f, {{100, 0.0, 0.02}, {2185, 1.8, 2.2}, {12000, 0.0, 0.25}}},
                      // Notch: passes DC and treble, dips to about 0.48 at 1.9 times the corner.
                      ResponseCase{7, 0.1f, {{100, 0.98, 1.02}, {4220, 0.43, 0.53}}},
                      // State-variable: two critically damped stages, four poles at the corner: 1/4 there.
                      ResponseCase{8, 0.1f, {{100, 0.98, 1.02}, {2206, 0.22, 0.28}, {12000, 0.0, 0.005}}},
                      ResponseCase{9, 0.1f, {{100, 0.0, 0.001}, {2206, 0.22, 0.28}, {8000, 0.8, 1.0}}},
                      ResponseCase{10, 0.1f, {{100, 0.0, 0.01}, {2206, 0.22, 0.28}, {12000, 0.0, 0.05}}},
                      // Zero-delay ladder: 0.25 * 0.5 * 12 = 1.5 in the pass band above cutoff 0.25; its corner
                      // is c * 22,050 Hz exactly (pre-warped), 1.5 / 4 there.
                      ResponseCase{11, 0.3f, {{100, 1.49, 1.51}, {6615, 0.34, 0.41}, {16000, 0.0, 0.05}}},
                      // No filter: the direct path leaves with gain 3 at every frequency.
                      ResponseCase{12, 0.1f, {{100, 2.999, 3.001}, {12000, 2.999, 3.001}}}));

// Below 0.25 the zero-delay ladder adds feedback, which lowers its pass-band level.
TEST(FilterSectionTest, ZeroDelayLadderLosesLevelAtLowCutoff)
{
    EXPECT_NEAR(sectionGain(11, 0.1f, 0.0f, 50.0), 1.5 / (1.0 + 0.36), 0.01);
}

// The cutoff means the same frequency at any sample rate from 44.1 kHz up.
TEST(FilterSectionTest, CornerFrequencyDoesNotDependOnTheSampleRate)
{
    for (const float rate : {48000.0f, 96000.0f})
    {
        SCOPED_TRACE(rate);
        EXPECT_NEAR(sectionGain(1, 0.1f, 0.0f, 3070.0, rate), sectionGain(1, 0.1f, 0.0f, 3070.0), 0.01);
        EXPECT_NEAR(sectionGain(8, 0.1f, 0.0f, 2206.0, rate), sectionGain(8, 0.1f, 0.0f, 2206.0), 0.01);
        EXPECT_NEAR(sectionGain(11, 0.3f, 0.0f, 6615.0, rate), sectionGain(11, 0.3f, 0.0f, 6615.0), 0.01);
    }
}

// At cutoff 1 and no resonance the 24 dB ladder passes small low-frequency signals almost unchanged.
TEST(FilterSectionTest, WideOpenLowPassIsNearlyTransparent)
{
    EXPECT_NEAR(sectionGain(1, 1.0f, 0.0f, 200.0), 1.0, 0.01);
}

// Small signals: drive raises the input by 1 + drive and lowers the output by 1 + drive / 2, so
// the level grows by less than 2 at any drive. Loud signals: more drive, more saturation.
TEST(FilterSectionTest, DriveSaturatesMoreAtRoughlyConstantLevel)
{
    for (const int type : {1, 8, 11, 12})
    {
        SCOPED_TRACE(type);
        const float c = type == 11 ? 0.5f : 1.0f;
        const double clean = sectionGain(type, c, 0.0f, 200.0);
        for (const float drive : {2.0f, 10.0f})
            EXPECT_NEAR(sectionGain(type, c, 0.0f, 200.0, kSampleRate, 0.01f, drive) / clean,
                        (1.0 + drive) / (1.0 + drive / 2.0), 0.01);
    }

    double lastDistortion = 0.0;
    for (const float drive : {0.0f, 2.0f, 10.0f})
    {
        FilterSection section(kSampleRate);
        section.type = 1;
        section.drive = drive;
        const double fundamental =
            measure::sineGain([&](float x) { return section.process(x, 1.0f, 0.0f); }, 200.0, kSampleRate, 0.5f);
        FilterSection again(kSampleRate);
        again.type = 1;
        again.drive = drive;
        // Third harmonic: measure the output of a 200 Hz input at 600 Hz.
        double sinSum = 0.0;
        double cosSum = 0.0;
        for (int i = 0; i < 8192 + 44100; ++i)
        {
            const double phase = 2.0 * measure::kPi * 200.0 * i / kSampleRate;
            const float y = again.process(0.5f * static_cast<float>(std::sin(phase)), 1.0f, 0.0f);
            if (i >= 8192)
            {
                sinSum += y * std::sin(3.0 * phase);
                cosSum += y * std::cos(3.0 * phase);
            }
        }
        const double third = 2.0 * std::hypot(sinSum, cosSum) / 44100.0 / 0.5;
        const double distortion = third / fundamental;
        EXPECT_GT(distortion, lastDistortion);
        lastDistortion = distortion;
    }
    EXPECT_GT(lastDistortion, 0.1);
}

// At full resonance every type rings on after the input stops, or dies away, but stays bounded
// whatever the cutoff and drive; the ladder low-pass keeps ringing.
TEST(FilterSectionTest, FullResonanceStaysBounded)
{
    for (int type = 1; type <= 12; ++type)
        for (const float c : {0.0f, 0.05f, 0.2f, 0.5f, 0.8f, 1.0f})
            for (const float drive : {0.0f, 10.0f})
            {
                SCOPED_TRACE(testing::Message() << "type " << type << " c " << c << " drive " << drive);
                FilterSection section(kSampleRate);
                section.type = type;
                section.drive = drive;
                float ringing = 0.0f;
                for (int i = 0; i < 44100; ++i)
                {
                    const float y = section.process(i < 100 ? 1.0f : 0.0f, c, 1.0f);
                    ASSERT_TRUE(std::isfinite(y));
                    if (i >= 2000)
                        ringing = std::max(ringing, std::fabs(y));
                }
                EXPECT_LT(ringing, 6.0f);
            }

    FilterSection section(kSampleRate);
    section.type = 1;
    double energy = 0.0;
    for (int i = 0; i < 44100; ++i)
    {
        const float y = section.process(i < 100 ? 1.0f : 0.0f, 0.2f, 1.0f);
        if (i >= 22050)
            energy += y * y;
    }
    EXPECT_GT(std::sqrt(energy / 22050.0), 0.5);
}

struct CutoffCase
{
    CutoffInputs in;
    float expected;
};

CutoffInputs inputs(float smoothed, float velocity, float velocityCutoff, int note, float keyFollow, float wheel,
                    float wheelAmount, float contour, float velocityContour, float envelope, float modulation)
{
    CutoffInputs in;
    in.smoothedCutoff = smoothed;
    in.velocity = velocity;
    in.velocityCutoff = velocityCutoff;
    in.note = note;
    in.keyFollow = keyFollow;
    in.wheel = wheel;
    in.pitchWheelCutoffAmount = wheelAmount;
    in.contour = contour;
    in.velocityContour = velocityContour;
    in.filterEnvelope = envelope;
    in.modulation = modulation;
    return in;
}

// The sum is squared, so a negative sum folds back; it is limited to 1.
TEST(FilterSectionTest, CutoffSum)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const CutoffCase cases[] = {
        {inputs(0.5f, 1, 0, 60, 0, 0, 0, 0, 0, 0, 0), 0.25f},
        {inputs(-0.5f, 1, 0, 60, 0, 0, 0, 0, 0, 0, 0), 0.25f},
        {inputs(2.0f, 1, 0, 60, 0, 0, 0, 0, 0, 0, 0), 1.0f},
        {inputs(0.2f, 0.5f, 0.2f, 60, 0, 0, 0, 0, 0, 0, 0), 0.09f},         // velocity
        {inputs(0.2f, 1, 0, 72 + 128, 0.4f, 0, 0, 0, 0, 0, 0), 0.09f},      // key follow: 0.25 per 128 notes
        {inputs(0.2f, 1, 0, 72, 0.4f, -0.5f, 0.2f, 0, 0, 0, 0), 0.01f},     // pitch wheel
        {inputs(0.2f, 0.5f, 0, 60, 0, 0, 0, -0.3f, 0.2f, 0.5f, 0), 0.01f},  // envelope contour
        {inputs(0.2f, 1, 0, 60, 0, 0, 0, 0, 0, 0, 0.4f), 0.36f},            // LFOs and envelopes
        {inputs(nan, 1, 0, 60, 0, 0, 0, 0, 0, 0, 0), 1.0f},
    };
    for (const CutoffCase& c : cases)
        EXPECT_NEAR(FilterSection::cutoff(c.in), c.expected, 1e-6f);
}

// Filter envelope: with attack 0 it reads as fully open from the first sample.
TEST(FilterSectionTest, EnvelopeUsesTheInstantAttackRule)
{
    FilterSection section(kSampleRate);
    section.envelope.setAttack(0.0f);
    section.envelope.reset();
    EXPECT_EQ(section.tickEnvelope(true), 1.0f);
    section.envelope.setAttack(0.2f);
    section.envelope.reset();
    EXPECT_LT(section.tickEnvelope(true), 0.1f);
}

// After the idle reset the 2,000-sample tail of silence (at the cutoff plus 0.1) lets the state settle.
// The zero-delay ladder (type 11) keeps its state through the reset and is left out.
TEST(FilterSectionTest, IdleResetSettlesWithinTheTail)
{
    for (const int type : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12})
        for (const float smoothedCutoff : {0.0f, 0.5f, 1.0f})
        {
            SCOPED_TRACE(testing::Message() << "type " << type << " cutoff " << smoothedCutoff);
            FilterSection section(kSampleRate);
            section.type = type;
            for (int i = 0; i < 1000; ++i)
                section.process(std::sin(i * 0.1f), 0.5f, 0.5f);
            section.resetForIdle();
            const float c = std::min(1.0f, (smoothedCutoff + 0.1f) * (smoothedCutoff + 0.1f));
            float y = 0.0f;
            for (int i = 0; i < 2000; ++i)
                y = section.process(0.0f, c, 0.5f);
            EXPECT_LT(std::fabs(y), 1e-3f);
        }
}

// A cutoff and a frequency where each type passes a clear level (see the response table above).
struct RecoveryProbe
{
    float c;
    double frequency;
};
const RecoveryProbe kRecoveryProbe[12] = {{0.1f, 100},  {0.1f, 100},  {0.1f, 100}, {0.1f, 100},
                                          {0.1f, 2185}, {0.1f, 2185}, {0.1f, 100}, {0.1f, 100},
                                          {0.1f, 2206}, {0.1f, 2206}, {0.3f, 100}, {0.1f, 100}};

// No setting or input, however absurd, may hang the section or leave it emitting non-finite samples;
// valid settings afterwards give the same response as a fresh section.
TEST(FilterSectionTest, ExtremeAndRandomInputStaysFiniteAndRecovers)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float extremes[] = {0.0f, 1.0f, -1.0f, 2.0f, -0.2f, 1e30f, -1e30f, inf, -inf, nan};
    std::mt19937 random(5);
    std::uniform_int_distribution<int> pick(0, 9);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);

    for (int type = 1; type <= 12; ++type)
    {
        SCOPED_TRACE(type);
        FilterSection section(kSampleRate);
        section.type = type;
        for (int block = 0; block < 200; ++block)
        {
            const float c = extremes[pick(random)];
            const float r = extremes[pick(random)];
            section.drive = extremes[pick(random)] * 10.0f;
            const float scale = block % 3 == 0 ? extremes[pick(random)] : 1.0f;
            for (int i = 0; i < 64; ++i)
                ASSERT_TRUE(std::isfinite(section.process(noise(random) * scale, c, r)));
        }
        section.drive = 0.0f;
        const RecoveryProbe& probe = kRecoveryProbe[type - 1];
        const double fresh = sectionGain(type, probe.c, 0.0f, probe.frequency);
        ASSERT_GT(fresh, 0.2);
        EXPECT_NEAR(
            measure::sineGain([&](float x) { return section.process(x, probe.c, 0.0f); }, probe.frequency, kSampleRate),
            fresh, fresh * 0.01);
    }
}

// Types outside 1 to 12 pass the oversampled signal through unchanged (gain 1).
TEST(FilterSectionTest, UnknownTypePassesThrough)
{
    for (const int type : {0, 13, -4})
        EXPECT_NEAR(sectionGain(type, 0.1f, 0.0f, 1000.0), 1.0, 0.01);
}
}  // namespace
