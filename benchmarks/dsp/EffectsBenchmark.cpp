// Cost per stereo sample of the master effects: delay, chorus (both units) and reverb, with sound
// and in a silent tail, where denormals would show as a slowdown.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/ChorusSection.h"
#include "engine/DelaySection.h"
#include "engine/ReverbSection.h"

namespace
{
constexpr int kBufferSize = 4096;  // power of two
constexpr float kSampleRate = 44100.0f;

std::vector<float> noiseInput(float level)
{
    std::vector<float> input(kBufferSize);
    std::uint32_t seed = 12345;
    for (float& x : input)
    {
        seed = seed * 1664525u + 1013904223u;
        x = level * (static_cast<float>(seed >> 8) / 8388608.0f - 1.0f);
    }
    return input;
}

// One iteration is one stereo sample: the time per iteration is the cost in ns per stereo sample.
template <typename Section>
void run(benchmark::State& state, Section& section, const std::vector<float>& input)
{
    size_t i = 0;
    for (auto _ : state)
    {
        float left = input[i];
        float right = input[(i + 1) & (kBufferSize - 1)];
        section.process(left, right);
        benchmark::DoNotOptimize(left);
        benchmark::DoNotOptimize(right);
        i = (i + 1) & (kBufferSize - 1);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

// Fractional free times, so the interpolated read runs; feedback above the centre.
DelaySection makeDelay()
{
    DelaySection delay(kSampleRate);
    delay.setWet(0.5f);
    delay.setTimeValue(0.43f);
    delay.setHalveRight(true);
    delay.setFeedback(1.2f);
    delay.setTone(0.3f);
    delay.setHighPass(0.9f);
    return delay;
}

void BM_DelaySection(benchmark::State& state)
{
    DelaySection delay = makeDelay();
    run(state, delay, noiseInput(0.5f));
}

void BM_DelaySectionSilentTail(benchmark::State& state)
{
    DelaySection delay = makeDelay();
    delay.setFeedback(0.0f);
    const std::vector<float> sound = noiseInput(0.5f);
    for (int n = 0; n < 10 * 44100; ++n)  // sound, then silence until the tail has gone
    {
        float left = n < 44100 ? sound[static_cast<size_t>(n) & (kBufferSize - 1)] : 0.0f;
        float right = left;
        delay.process(left, right);
    }
    run(state, delay, std::vector<float>(kBufferSize, 0.0f));
}

void BM_ChorusSection(benchmark::State& state)
{
    ChorusSection chorus(kSampleRate);
    chorus.chorus1On = true;
    chorus.chorus2On = true;
    run(state, chorus, noiseInput(0.5f));
}

ReverbSection makeReverb()
{
    std::srand(1);
    ReverbSection reverb(kSampleRate);
    reverb.setWet(0.5f);
    reverb.reverb.setDecay(0.8f);
    reverb.reverb.setPreDelay(0.1f);
    reverb.reverb.inputFilterA.setSetting(0.7f);
    reverb.reverb.inputFilterB.setSetting(0.05f);
    return reverb;
}

void BM_ReverbSection(benchmark::State& state)
{
    ReverbSection reverb = makeReverb();
    run(state, reverb, noiseInput(0.5f));
}

// Both input filters fully open: nothing enters, not even the denormal noise, and the tail decays
// towards zero for as long as the benchmark runs.
void BM_ReverbSectionSilentTail(benchmark::State& state)
{
    ReverbSection reverb = makeReverb();
    const std::vector<float> sound = noiseInput(0.5f);
    for (int n = 0; n < 44100; ++n)
    {
        float left = sound[static_cast<size_t>(n) & (kBufferSize - 1)];
        float right = left;
        reverb.process(left, right);
    }
    reverb.reverb.inputFilterA.setSetting(1.0f);
    reverb.reverb.inputFilterB.setSetting(1.0f);
    run(state, reverb, std::vector<float>(kBufferSize, 0.0f));
}
}  // namespace

BENCHMARK(BM_DelaySection);
BENCHMARK(BM_DelaySectionSilentTail);
BENCHMARK(BM_ChorusSection);
BENCHMARK(BM_ReverbSection);
BENCHMARK(BM_ReverbSectionSilentTail);

BENCHMARK_MAIN();
