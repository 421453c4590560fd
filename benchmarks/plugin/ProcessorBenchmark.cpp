// Cost of creating the processor (the factory bank is parsed each time) and of the host's state calls.
#include "processor/PluginProcessor.h"

#include <benchmark/benchmark.h>

static void constructAndDestroy(benchmark::State& state)
{
    for (auto _ : state)
    {
        auto processor = std::make_unique<PluginProcessor>();
        benchmark::DoNotOptimize(processor.get());
    }
}
BENCHMARK(constructAndDestroy)->Unit(benchmark::kMillisecond);

static void saveState(benchmark::State& state)
{
    PluginProcessor processor;
    juce::MemoryBlock chunk;
    for (auto _ : state)
    {
        processor.getStateInformation(chunk);
        benchmark::DoNotOptimize(chunk.getData());
    }
    state.counters["bytes"] = (double)chunk.getSize();
}
BENCHMARK(saveState)->Unit(benchmark::kMicrosecond);

static void restoreState(benchmark::State& state)
{
    PluginProcessor processor;
    juce::MemoryBlock chunk;
    processor.getStateInformation(chunk);
    for (auto _ : state)
        processor.setStateInformation(chunk.getData(), (int)chunk.getSize());
}
BENCHMARK(restoreState)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
