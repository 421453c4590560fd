// Cost per sample of the envelope generator, the LFO handler and the engine's two-LFO update.
#include <benchmark/benchmark.h>

#include "engine/Adsr.h"
#include "engine/LfoHandler.h"
#include "engine/ModulationRouting.h"

namespace
{
// Notes of 3,000 samples every 4,096, so every stage is visited.
void BM_AdsrTick(benchmark::State& state)
{
    Adsr env(44100.0f);
    env.setAttack(0.2f);
    env.setDecay(0.3f);
    env.sustain = 0.5f;
    env.setRelease(0.2f);
    unsigned i = 0;
    for (auto _ : state)
    {
        if ((i & 4095u) == 0)
            env.restart();
        benchmark::DoNotOptimize(env.tick((i & 4095u) < 3000u));
        ++i;
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

void BM_LfoHandlerProcess(benchmark::State& state)
{
    LfoHandler1 lfo(44100.0f);
    lfo.waveform = static_cast<int>(state.range(0));
    lfo.setBaseRate(7.0f);
    LfoHandler* handler = &lfo;  // through the virtual call, as the engine makes it
    for (auto _ : state)
        benchmark::DoNotOptimize(handler->process());
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

// Both LFOs with rate modulation of each other, as the engine runs them every sounding sample.
void BM_AdvanceLfos(benchmark::State& state)
{
    LfoHandler1 lfo1(44100.0f);
    LfoHandler2 lfo2(44100.0f);
    lfo1.setBaseRate(3.0f);
    lfo2.setBaseRate(0.5f);
    lfo1.destination = Lfo1Destination::lfo2Rate;
    lfo2.destination = Lfo2Destination::lfo1Rate;
    lfo1.amount = 0.3f;
    lfo2.amount = -0.6f;
    for (auto _ : state)
    {
        modulation::advanceLfos(lfo1, lfo2);
        benchmark::DoNotOptimize(lfo2.value);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
}  // namespace

BENCHMARK(BM_AdsrTick);
BENCHMARK(BM_LfoHandlerProcess)->DenseRange(0, 5)->ArgName("waveform");
BENCHMARK(BM_AdvanceLfos);

BENCHMARK_MAIN();
