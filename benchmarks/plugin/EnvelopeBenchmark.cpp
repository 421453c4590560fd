// Cost of the user envelope: a voice's curve read from the table, and the slowest table rebuild.
#include "envelope/EnvelopeEditor.h"
#include "envelope/UserEnvelope.h"

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace
{
// Sixteen points zig-zagging through the cycle, more than a user usually draws.
SplinePointList busyCurve()
{
    SplinePointList list;
    list.add(0.0f, 0.5f).isStartPoint = true;
    for (int i = 1; i < 15; ++i)
        list.add((float)i / 15.0f, i % 2 == 0 ? 0.2f : 0.9f);
    list.add(1.0f, 0.5f).isEndPoint = true;
    list.linkEnds();
    list.sort();
    return list;
}
}  // namespace

// One curve read, as every active voice makes once per sample (120 bpm, 4/4, 48 kHz): from the table,
// or evaluated directly while the table is dirty.
static void envelopeValue(benchmark::State& state, bool fromTable)
{
    EnvelopeEditor envelope(48000.0f);
    envelope.loadProgramPoints(busyCurve());
    if (fromTable)
        envelope.rebuildLookupTable();
    float phase = 0.0f;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(envelope.getEnvelopeValue(phase));
        phase += 0.000123f;
        phase = phase >= 1.0f ? phase - 1.0f : phase;
    }
}
BENCHMARK_CAPTURE(envelopeValue, fromTable, true);
BENCHMARK_CAPTURE(envelopeValue, direct, false);

// A voice's whole per-sample step: advance, wrap, read, scale.
static void voiceStep(benchmark::State& state)
{
    EnvelopeEditor envelope(48000.0f);
    envelope.loadProgramPoints(busyCurve());
    envelope.speedFactor = 32.0f;
    envelope.rebuildLookupTable();
    UserEnvelopeSettings settings;
    settings.envelope = &envelope;
    settings.destination = UserEnvelopeDestination::filter;
    settings.amount = 1.0f;
    UserEnvelopeVoiceState voice;
    voice.settings = &settings;
    for (auto _ : state)
        benchmark::DoNotOptimize(voice.process());
}
BENCHMARK(voiceStep);

// The worst case: 1 bpm in 32/32 at 192 kHz, a cycle of 1.2e10 samples, built at the table's bound.
static void rebuildSlowestTiming(benchmark::State& state)
{
    EnvelopeEditor envelope(192000.0f);
    envelope.loadProgramPoints(busyCurve());
    envelope.applyHostTiming(1.0, 32, 32);
    for (auto _ : state)
    {
        envelope.isDirty = true;
        envelope.rebuildLookupTable();
    }
    state.counters["entries"] = (double)envelope.lookupTable.size();
    state.counters["MiB"] = (double)(envelope.lookupTable.size() * sizeof(float)) / (1024.0 * 1024.0);
}
BENCHMARK(rebuildSlowestTiming)->Unit(benchmark::kMillisecond);

// Table reads while another thread rebuilds the slowest table over and over (argument 1), or with no
// rebuilds as the baseline of the machine's own scheduling noise (argument 0). A rebuild that held
// the lock while it builds would stall one read per rebuild for its whole length (milliseconds);
// the reads over 1 ms, compared with the baseline, show whether a voice ever waits for a rebuild.
static void envelopeValueDuringRebuilds(benchmark::State& state)
{
    EnvelopeEditor envelope(192000.0f);
    envelope.loadProgramPoints(busyCurve());
    envelope.applyHostTiming(1.0, 32, 32);
    envelope.rebuildLookupTable();

    std::atomic<bool> stop{false};
    std::atomic<int> rebuilds{0};
    std::thread rebuilder(
        [&]
        {
            // Not marked dirty, so the readers stay on the table path while each new table is swapped in.
            while (!stop && state.range(0) != 0)
            {
                envelope.rebuildLookupTable();
                ++rebuilds;
            }
        });

    using Clock = std::chrono::steady_clock;
    Clock::duration longest{};
    int stalls = 0;
    float phase = 0.0f;
    for (auto _ : state)
    {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(envelope.getEnvelopeValue(phase));
        const auto took = Clock::now() - start;
        longest = std::max(longest, took);
        stalls += took > std::chrono::milliseconds(1) ? 1 : 0;
        phase += 0.000123f;
        phase = phase >= 1.0f ? phase - 1.0f : phase;
    }
    stop = true;
    rebuilder.join();
    state.counters["longest_us"] = std::chrono::duration<double, std::micro>(longest).count();
    state.counters["reads_over_1ms"] = stalls;
    state.counters["rebuilds"] = rebuilds.load();
}
BENCHMARK(envelopeValueDuringRebuilds)->Arg(0)->Arg(1)->UseRealTime();

int main(int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce;  // the envelope's timer needs a message manager
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
