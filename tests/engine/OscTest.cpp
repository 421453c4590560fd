// Behaviour of the voice oscillator: pitch, sync, pulse width, noise, aliasing and robustness to bad settings.
#include "engine/Osc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <vector>

namespace
{
constexpr float sampleRate = 44100.0f;
constexpr double pi = 3.14159265358979323846;
const float notANumber = std::numeric_limits<float>::quiet_NaN();
const float infinity = std::numeric_limits<float>::infinity();

std::vector<float> render(Osc& osc, float pitch, int samples)
{
    std::vector<float> out(static_cast<size_t>(samples));
    for (float& sample : out)
        sample = osc.process(pitch);
    return out;
}

int upwardZeroCrossings(const std::vector<float>& signal)
{
    int count = 0;
    for (size_t i = 1; i < signal.size(); ++i)
        count += signal[i - 1] < 0.0f && signal[i] >= 0.0f;
    return count;
}

// Power at one frequency, Blackman-Harris windowed, so that nearby strong components do not leak into it.
double powerAt(const std::vector<float>& signal, double hz)
{
    double re = 0.0;
    double im = 0.0;
    const double n = static_cast<double>(signal.size());
    for (size_t i = 0; i < signal.size(); ++i)
    {
        const double x = 2.0 * pi * static_cast<double>(i) / n;
        const double window = 0.35875 - 0.48829 * std::cos(x) + 0.14128 * std::cos(2 * x) - 0.01168 * std::cos(3 * x);
        const double angle = 2.0 * pi * hz * static_cast<double>(i) / static_cast<double>(sampleRate);
        re += window * signal[i] * std::cos(angle);
        im -= window * signal[i] * std::sin(angle);
    }
    return re * re + im * im;
}

double hzOf(float pitch) { return 440.0 * std::pow(2.0, (static_cast<double>(pitch) - 69.0) / 12.0); }
}  // namespace

TEST(OscTest, PitchGivesTheFrequencyWithinOneHertzAndFourteenKilohertz)
{
    struct Case
    {
        float pitch;
        float hz;
    };
    const Case cases[] = {{69.0f, 440.0f},    {81.0f, 880.0f},   {57.0f, 220.0f},      {128.91f, 14000.0f},
                          {200.0f, 14000.0f}, {1e30f, 14000.0f}, {infinity, 14000.0f}, {-36.4f, 1.0f},
                          {-100.0f, 1.0f},    {-infinity, 1.0f}};
    for (const Case& c : cases)
    {
        Osc osc(sampleRate, nullptr);
        osc.waveform = Osc::waveformSine;
        const int seconds = c.hz < 10.0f ? 4 : 1;
        const std::vector<float> out = render(osc, c.pitch, seconds * static_cast<int>(sampleRate));
        EXPECT_NEAR(osc.frequency, c.hz, c.hz * 1e-5f) << "pitch " << c.pitch;
        EXPECT_NEAR(upwardZeroCrossings(out), c.hz * static_cast<float>(seconds), 1.0f) << "pitch " << c.pitch;
    }
}

TEST(OscTest, FrequencyIsRecomputedOnlyWhenThePitchChanges)
{
    Osc osc(sampleRate, nullptr);
    osc.process(60.0f);
    osc.frequency = 500.0f;  // stands in for a stale value: the same pitch must not touch it
    osc.process(60.0f);
    EXPECT_EQ(osc.frequency, 500.0f);
    osc.process(61.0f);
    EXPECT_NEAR(osc.frequency, hzOf(61.0f), 0.01);

    // A pitch that is not a number keeps the last frequency; the next real pitch is taken up again.
    osc.process(notANumber);
    EXPECT_NEAR(osc.frequency, hzOf(61.0f), 0.01);
    osc.process(notANumber);
    osc.process(69.0f);
    EXPECT_EQ(osc.frequency, 440.0f);
}

TEST(OscTest, SyncRestartsTheSlaveCycleAtEveryWrapOfTheSub)
{
    // At 44 kHz a 440 Hz sub wraps every 100 samples; the slave runs 2.3 times faster (for the triangle, an even
    // number of turns per sub cycle, so it meets every restart in the same direction).
    const float rate = 44000.0f;
    const float slavePitch = 69.0f + 12.0f * std::log2(2.3f);
    for (int waveform : {Osc::waveformSaw, Osc::waveformPulse, Osc::waveformTriangle})
        for (bool syncOn : {true, false})
        {
            Osc sub(rate, nullptr);
            sub.waveform = Osc::waveformPulse;
            Osc slave(rate, &sub);
            slave.waveform = waveform;
            slave.syncEnabled = syncOn;

            std::vector<std::vector<float>> cycles;
            for (int i = 0; i < 2000; ++i)
            {
                sub.process(69.0f);
                const float out = slave.process(slavePitch);
                if (sub.pulse->wrapped)
                    cycles.emplace_back();
                if (!cycles.empty())
                    cycles.back().push_back(out);
            }
            ASSERT_GE(cycles.size(), 15u);
            float largestChange = 0.0f;
            for (size_t c = 2; c + 1 < cycles.size(); ++c)
                for (size_t i = 0; i < 90; ++i)
                    largestChange = std::max(largestChange, std::fabs(cycles[c][i] - cycles[c - 1][i]));
            if (syncOn)
            {
                EXPECT_LT(largestChange, 0.02f) << "waveform " << waveform;
            }
            else
            {
                EXPECT_GT(largestChange, 0.3f) << "waveform " << waveform;
            }
        }
}

TEST(OscTest, GainZeroStopsASyncedOscillatorButNotTheSub)
{
    // Oscillator 2 at gain 0 returns 0 and holds still: afterwards it plays exactly as if it had never run.
    Osc sub(sampleRate, nullptr);
    Osc muted(sampleRate, &sub);
    Osc fresh(sampleRate, &sub);
    muted.gain = 0.0f;
    for (float sample : render(muted, 80.0f, 1000))
        ASSERT_EQ(sample, 0.0f);
    muted.gain = 1.0f;
    EXPECT_EQ(render(muted, 80.0f, 500), render(fresh, 80.0f, 500));

    // The sub at gain 0 returns 0 but keeps running, so it still syncs the others.
    Osc loudSub(sampleRate, nullptr);
    Osc quietSub(sampleRate, nullptr);
    loudSub.waveform = quietSub.waveform = Osc::waveformPulse;
    quietSub.gain = 0.0f;
    Osc slaveOfLoud(sampleRate, &loudSub);
    Osc slaveOfQuiet(sampleRate, &quietSub);
    slaveOfLoud.syncEnabled = slaveOfQuiet.syncEnabled = true;
    for (int i = 0; i < 5000; ++i)
    {
        loudSub.process(50.0f);
        ASSERT_EQ(quietSub.process(50.0f), 0.0f);
        ASSERT_EQ(slaveOfQuiet.process(75.0f), slaveOfLoud.process(75.0f)) << "sample " << i;
    }
}

TEST(OscTest, PulseWidthExtremesKeepBothLevelsAtLeastOneAndAQuarterSamples)
{
    // The mean of a -0.5/+0.5 pulse gives its duty cycle, corrections included, to a small part of a sample.
    struct Case
    {
        float pitch;
        float width;
        float lowSamples;  // expected length of the -0.5 part, or 0 to only require at least 1.25
        float highSamples;
    };
    const float minPart = 1.25f;
    const Case cases[] = {
        {128.91f, 0.0f, minPart, 0.0f}, {128.91f, 1.0f, 0.0f, minPart}, {100.0f, 0.0f, minPart, 0.0f},
        {100.0f, 1.0f, 0.0f, minPart},  {80.0f, -1.0f, minPart, 0.0f},  {80.0f, 2.0f, 0.0f, minPart},
        {128.91f, 0.5f, 0.0f, 0.0f},
    };
    const int samples = 10 * static_cast<int>(sampleRate);
    for (const Case& c : cases)
    {
        Osc osc(sampleRate, nullptr);
        osc.waveform = Osc::waveformPulse;
        osc.pulseWidth = c.width;
        const std::vector<float> out = render(osc, c.pitch, samples);
        double mean = 0.0;
        for (float sample : out)
            mean += sample;
        mean /= samples;
        const double period = sampleRate / static_cast<double>(osc.frequency);
        const double low = (0.5 - mean) * period;
        const double high = period - low;
        EXPECT_GE(low, minPart - 0.02) << "pitch " << c.pitch << " width " << c.width;
        EXPECT_GE(high, minPart - 0.02) << "pitch " << c.pitch << " width " << c.width;
        if (c.lowSamples > 0.0f)
        {
            EXPECT_NEAR(low, c.lowSamples, 0.02) << "pitch " << c.pitch << " width " << c.width;
        }
        if (c.highSamples > 0.0f)
        {
            EXPECT_NEAR(high, c.highSamples, 0.02) << "pitch " << c.pitch << " width " << c.width;
        }

        // Both levels in every cycle: as many falling edges as cycles (a lost edge would also stop the wraps).
        Osc counted(sampleRate, nullptr);
        counted.waveform = Osc::waveformPulse;
        counted.pulseWidth = c.width;
        int edges = 0;
        for (int i = 0; i < samples; ++i)
        {
            const float before = counted.pulse->levelSign;
            counted.process(c.pitch);
            edges += before > 0.0f && counted.pulse->levelSign < 0.0f;
        }
        EXPECT_NEAR(edges, osc.frequency * 10.0f, 2.0f) << "pitch " << c.pitch << " width " << c.width;
    }
}

TEST(OscTest, NoiseIsTheSameSequenceInEveryOscillatorAndSurvivesReset)
{
    Osc first(sampleRate, nullptr);
    Osc second(48000.0f, &first);
    first.waveform = second.waveform = Osc::waveformNoise;
    // seed * 16807 wrapping at 32 bits, scaled by 2^-31.
    const float expected[] = {16807.0f / 2147483648.0f, 282475249.0f / 2147483648.0f, 1622647863.0f / 2147483648.0f,
                              -1199696159.0f / 2147483648.0f};
    for (float value : expected)
    {
        EXPECT_EQ(first.process(60.0f), value);
        EXPECT_EQ(second.process(20.0f), value);  // pitch, rate and sync source make no difference
    }

    second.resetOsc();  // does not restart the sequence
    EXPECT_EQ(second.process(60.0f), first.process(60.0f));

    double sum = 0.0;
    float lowest = 1.0f;
    float highest = -1.0f;
    for (float sample : render(first, 60.0f, 100000))
    {
        sum += sample;
        lowest = std::min(lowest, sample);
        highest = std::max(highest, sample);
    }
    EXPECT_GE(lowest, -1.0f);
    EXPECT_LT(highest, 1.0f);
    EXPECT_LT(lowest, -0.99f);
    EXPECT_GT(highest, 0.99f);
    EXPECT_NEAR(sum / 100000.0, 0.0, 0.01);
}

TEST(OscTest, UnknownWaveformsAreSilent)
{
    for (int waveform : {-1, 5, 100, INT_MIN, INT_MAX})
    {
        Osc osc(sampleRate, nullptr);
        osc.waveform = waveform;
        for (float sample : render(osc, 60.0f, 1000))
            ASSERT_EQ(sample, 0.0f) << "waveform " << waveform;
        osc.waveform = Osc::waveformSaw;
        const std::vector<float> out = render(osc, 60.0f, 200);
        EXPECT_GT(*std::max_element(out.begin(), out.end()) - *std::min_element(out.begin(), out.end()), 0.9f);
    }
}

TEST(OscTest, ResetStartsASyncedOscillatorAtItsStartPhaseAndTheSubAtZero)
{
    Osc sub(sampleRate, nullptr);
    Osc slave(sampleRate, &sub);
    sub.setStartPhase(0.25f);
    slave.setStartPhase(0.25f);
    render(sub, 60.0f, 123);
    render(slave, 60.0f, 123);
    sub.resetOsc();
    slave.resetOsc();
    const float inc = static_cast<float>(hzOf(60.0f)) / sampleRate;
    // A saw's value is its phase - 0.5, just after one step.
    EXPECT_NEAR(sub.process(60.0f), 0.0f + inc - 0.5f, 1e-4f);
    EXPECT_NEAR(slave.process(60.0f), 0.25f + inc - 0.5f, 1e-4f);
}

TEST(OscTest, FmOnlyRaisesTheFrequencyAndAnAmountOfZeroChangesNothing)
{
    Osc plain(sampleRate, nullptr);
    Osc zeroAmount(sampleRate, nullptr);
    Osc modulated(sampleRate, nullptr);
    plain.waveform = zeroAmount.waveform = modulated.waveform = Osc::waveformSine;
    zeroAmount.fmFrequency = modulated.fmFrequency = 261.6f;
    modulated.fmAmount = 0.05f;
    const std::vector<float> reference = render(plain, 60.0f, 44100);
    EXPECT_EQ(render(zeroAmount, 60.0f, 44100), reference);
    EXPECT_EQ(zeroAmount.sine->fmPhase, 0.0f);
    // Depth 0.05 * 10 * (sin + 1) raises 261.6 Hz by 0..261.6 Hz, by 130.8 Hz on average.
    EXPECT_NEAR(upwardZeroCrossings(render(modulated, 60.0f, 44100)), 261.6 + 130.8, 3.0);
}

TEST(OscTest, BandLimitedWaveformsKeepEveryAliasBelowMinus80dB)
{
    struct Case
    {
        int waveform;
        float width;
    };
    const float pitch = 96.0f;
    const double f0 = hzOf(pitch);
    for (const Case& c : {Case{Osc::waveformSaw, 0.5f}, Case{Osc::waveformPulse, 0.5f}, Case{Osc::waveformPulse, 0.1f},
                          Case{Osc::waveformTriangle, 0.5f}})
    {
        Osc osc(sampleRate, nullptr);
        osc.waveform = c.waveform;
        osc.pulseWidth = c.width;
        render(osc, pitch, 4410);
        const std::vector<float> out = render(osc, pitch, 44100);
        const double fundamental = powerAt(out, f0);
        // Harmonics 11 to 40 lie above Nyquist; each folds back to |k f0 - m fs|.
        for (int k = 11; k <= 40; ++k)
        {
            const double harmonic = k * f0;
            const double folded = std::fabs(harmonic - std::round(harmonic / sampleRate) * sampleRate);
            if (folded > 20000.0 || folded < 50.0)
                continue;
            const double db = 10.0 * std::log10(powerAt(out, folded) / fundamental);
            EXPECT_LT(db, -80.0) << "waveform " << c.waveform << " width " << c.width << " harmonic " << k;
        }
    }
}

TEST(OscTest, BadSettingsNeitherHangNorLeaveTheOutputBroken)
{
    enum Setting
    {
        pitch,
        pulseWidth,
        fmAmount,
        fmFrequency,
        startPhase,
        gain
    };
    const float badValues[] = {-1.0f, 2.0f, 1e30f, -1e30f, notANumber, infinity, -infinity};
    for (int waveform = Osc::waveformSaw; waveform <= Osc::waveformNoise; ++waveform)
        for (Setting setting : {pitch, pulseWidth, fmAmount, fmFrequency, startPhase, gain})
            for (float bad : badValues)
            {
                // Sub and slave both take the bad value: the sub's state feeds the slave's sync.
                Osc sub(sampleRate, nullptr);
                sub.waveform = Osc::waveformPulse;
                Osc slave(sampleRate, &sub);
                slave.waveform = waveform;
                slave.syncEnabled = true;
                const auto apply = [&](float value, float& notePitch)
                {
                    for (Osc* osc : {&sub, &slave})
                        switch (setting)
                        {
                        case pitch: notePitch = value; break;
                        case pulseWidth: osc->pulseWidth = value; break;
                        case fmAmount:
                            osc->fmAmount = value;
                            osc->fmFrequency = 300.0f;
                            break;
                        case fmFrequency:
                            osc->fmAmount = 0.1f;
                            osc->fmFrequency = value;
                            break;
                        case startPhase:
                            osc->setStartPhase(value);
                            osc->resetOsc();
                            break;
                        case gain: osc->gain = value; break;
                        }
                };
                const auto run = [&](float notePitch, int samples, bool mustBeFinite)
                {
                    float lowest = infinity;
                    float highest = -infinity;
                    for (int i = 0; i < samples; ++i)
                    {
                        sub.process(notePitch - 24.0f);
                        const float out = slave.process(notePitch);
                        if (mustBeFinite && !std::isfinite(out))
                            return -1.0f;
                        lowest = std::min(lowest, out);
                        highest = std::max(highest, out);
                    }
                    return highest - lowest;
                };

                float notePitch = 60.0f;
                apply(bad, notePitch);
                // Only a gain that is not finite may make the output so while it lasts.
                const bool finiteWhileBad = setting != gain || std::isfinite(bad);
                const std::string where = "waveform " + std::to_string(waveform) + " setting " +
                                          std::to_string(setting) + " value " + std::to_string(bad);
                EXPECT_GE(run(notePitch, 3000, finiteWhileBad), 0.0f) << where << " while bad";

                const float valid = setting == pitch      ? 60.0f
                                    : setting == gain     ? 1.0f
                                    : setting == fmAmount ? 0.0f
                                                          : 0.5f;
                apply(valid, notePitch);
                run(notePitch, 2000, false);
                EXPECT_GT(run(notePitch, 2000, true), 0.5f) << where << " after recovery";
            }
}

TEST(OscTest, ABadSampleRateFallsBackToOneThatPlays)
{
    for (float rate : {0.0f, -44100.0f, notANumber, infinity})
    {
        Osc osc(rate, nullptr);
        osc.waveform = Osc::waveformSine;
        EXPECT_NEAR(upwardZeroCrossings(render(osc, 69.0f, 44100)), 440, 1) << "rate " << rate;
    }
}
