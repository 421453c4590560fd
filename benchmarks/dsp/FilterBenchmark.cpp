// Cost per sample of the filter section for every type, oversampling and decimation included.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "engine/FilterSection.h"

namespace
{
constexpr int kBufferSize = 4096;  // power of two

std::vector<float> noiseInput()
{
    std::vector<float> input(kBufferSize);
    std::uint32_t seed = 12345;
    for (float& x : input)
    {
        seed = seed * 1664525u + 1013904223u;
        x = static_cast<float>(seed >> 8) / 8388608.0f - 1.0f;
    }
    return input;
}

// A voice's cutoff moves every sample (smoothing, envelope, LFOs), so the coefficients are
// recomputed every sample here: the realistic case.
std::vector<float> sweepingCutoff()
{
    std::vector<float> cutoff(kBufferSize);
    for (int i = 0; i < kBufferSize; ++i)
    {
        const float t = static_cast<float>(i < kBufferSize / 2 ? i : kBufferSize - i) / (kBufferSize / 2);
        cutoff[static_cast<size_t>(i)] = 0.05f + 0.85f * t * t;
    }
    return cutoff;
}

void filterSection(benchmark::State& state, bool moving)
{
    const std::vector<float> input = noiseInput();
    const std::vector<float> cutoff = sweepingCutoff();
    FilterSection section(44100.0f);
    section.type = static_cast<int>(state.range(0));
    section.drive = 1.0f;
    size_t i = 0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(section.process(input[i], moving ? cutoff[i] : 0.4f, 0.6f));
        i = (i + 1) & (kBufferSize - 1);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

// One iteration is one base-rate sample: the time per iteration is the cost in ns per sample.
void BM_FilterSectionMovingCutoff(benchmark::State& state) { filterSection(state, true); }
void BM_FilterSectionFixedCutoff(benchmark::State& state) { filterSection(state, false); }
}  // namespace

BENCHMARK(BM_FilterSectionMovingCutoff)->DenseRange(1, 12)->ArgName("type");
BENCHMARK(BM_FilterSectionFixedCutoff)->DenseRange(1, 12)->ArgName("type");

BENCHMARK_MAIN();
