// Cost of one oscillator sample for each waveform, at a middle note and a high one (more discontinuities).
#include "engine/Osc.h"

#include <benchmark/benchmark.h>

namespace
{
constexpr float sampleRate = 44100.0f;

void oscSample(benchmark::State& state)
{
    Osc osc(sampleRate, nullptr);
    osc.waveform = static_cast<int>(state.range(0));
    const float pitch = static_cast<float>(state.range(1));
    for (auto _ : state)
        benchmark::DoNotOptimize(osc.process(pitch));
    state.SetLabel(osc.waveform == Osc::waveformSaw        ? "saw"
                   : osc.waveform == Osc::waveformPulse    ? "pulse"
                   : osc.waveform == Osc::waveformTriangle ? "triangle"
                   : osc.waveform == Osc::waveformSine     ? "sine"
                                                           : "noise");
}
}  // namespace

BENCHMARK(oscSample)
    ->ArgNames({"waveform", "pitch"})
    ->ArgsProduct({{Osc::waveformSaw, Osc::waveformPulse, Osc::waveformTriangle, Osc::waveformSine, Osc::waveformNoise},
                   {60, 96}});

BENCHMARK_MAIN();
