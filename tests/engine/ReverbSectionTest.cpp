// The reverb section: exact bypass and frozen tail at wet 0, the wet mix, bad wet values.
#include "engine/ReverbSection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

namespace
{
constexpr float kSampleRate = 44100.0f;

ReverbSection openSection(float wet)
{
    std::srand(11);
    ReverbSection section(kSampleRate);
    section.reverb.inputFilterA.setSetting(1.0f);
    section.reverb.inputFilterB.setSetting(0.0f);
    section.setWet(wet);
    return section;
}

float randomSample(std::uint32_t& seed)
{
    seed = seed * 1664525u + 1013904223u;
    return static_cast<float>(seed >> 8) / 8388608.0f - 1.0f;
}

TEST(ReverbSection, WetZeroLeavesSamplesExactlyAndFreezesTheTail)
{
    ReverbSection paused = openSection(1.0f);
    ReverbSection reference = openSection(1.0f);
    std::uint32_t seed = 1;
    for (int n = 0; n < 4410; ++n)
    {
        const float x = randomSample(seed);
        float l = x;
        float r = x;
        paused.process(l, r);
        l = x;
        r = x;
        reference.process(l, r);
    }

    paused.setWet(0.0f);
    for (int n = 0; n < 44100; ++n)
    {
        const float x = randomSample(seed);
        float l = x;
        float r = -x;
        paused.process(l, r);
        ASSERT_EQ(l, x);  // not even the denormal noise is added
        ASSERT_EQ(r, -x);
    }

    // Raised again, the old tail carries on as if the pause had not happened.
    paused.setWet(1.0f);
    for (int n = 0; n < 44100; ++n)
    {
        float pl = 0.0f;
        float pr = 0.0f;
        paused.process(pl, pr);
        float rl = 0.0f;
        float rr = 0.0f;
        reference.process(rl, rr);
        ASSERT_EQ(pl, rl);
        ASSERT_EQ(pr, rr);
    }
}

// Each channel gets its own reverb, scaled by the wet level, on top of the dry signal.
TEST(ReverbSection, WetLevelScalesTheAddedReverb)
{
    ReverbSection half = openSection(0.5f);
    ReverbSection full = openSection(1.0f);
    std::uint32_t seed = 5;
    double worst = 0.0;
    double largest = 0.0;
    for (int n = 0; n < 2 * 44100; ++n)
    {
        const float l = n < 4410 ? randomSample(seed) : 0.0f;
        const float r = n < 4410 ? 0.5f * l : 0.0f;
        float hl = l;
        float hr = r;
        half.process(hl, hr);
        float fl = l;
        float fr = r;
        full.process(fl, fr);
        worst = std::max(worst, std::fabs(2.0 * (hl - l) - (fl - l)) + std::fabs(2.0 * (hr - r) - (fr - r)));
        largest = std::max(largest, std::fabs(static_cast<double>(fl - l)));
    }
    EXPECT_GT(largest, 0.01);
    EXPECT_LT(worst, 1e-6);
}

TEST(ReverbSection, BadWetValuesStayFiniteAndRecover)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const float bad : {-1.0f, 2.0f, 1.0e30f, nan})
    {
        ReverbSection section = openSection(0.3f);
        section.setWet(bad);
        std::uint32_t seed = 3;
        for (int n = 0; n < 44100; ++n)
        {
            float l = randomSample(seed);
            float r = l;
            section.process(l, r);
            ASSERT_TRUE(std::isfinite(l) && std::isfinite(r)) << bad;
            ASSERT_LT(std::fabs(l), 10.0f) << bad;
        }
        section.setWet(0.0f);
        float l = 0.25f;
        float r = 0.25f;
        section.process(l, r);
        EXPECT_EQ(l, 0.25f) << bad;
    }
}
}  // namespace
