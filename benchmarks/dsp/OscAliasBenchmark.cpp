// Prints the aliasing of the band-limited oscillator waveforms, beside a naive saw, at three high notes.
//
// Each case renders 1 s at 44.1 kHz after a 0.1 s settle, applies a four-term Blackman-Harris window and takes a
// 44,100-point DFT (1 Hz bins). Bins within a few bins of a harmonic count as harmonic power; every other bin
// below 20 kHz counts as alias power. "strongest" is the loudest single alias component (its main lobe), also
// relative to the harmonic power.

#include "engine/Osc.h"

#include <cmath>
#include <complex>
#include <cstdio>
#include <functional>
#include <vector>

namespace
{
constexpr double pi = 3.14159265358979323846;
constexpr int sampleRate = 44100;
constexpr int settleSamples = sampleRate / 10;
constexpr int analysedSamples = sampleRate;  // 1 s, so a bin is 1 Hz
constexpr double bandTopHz = 20000.0;
constexpr int harmonicHalfWidthBins = 6;  // the window's main lobe is ±4 bins
constexpr int componentHalfWidthBins = 4;

using Complex = std::complex<double>;

int smallestFactor(size_t n)
{
    for (size_t p = 2; p * p <= n; ++p)
        if (n % p == 0)
            return static_cast<int>(p);
    return static_cast<int>(n);
}

// Mixed-radix decimation-in-time DFT; 44,100 = 2^2 3^2 5^2 7^2, so every stage is a small prime.
std::vector<Complex> dft(const std::vector<Complex>& input)
{
    const size_t n = input.size();
    if (n == 1)
        return input;
    const size_t radix = static_cast<size_t>(smallestFactor(n));
    const size_t m = n / radix;
    std::vector<std::vector<Complex>> parts(radix);
    for (size_t r = 0; r < radix; ++r)
    {
        std::vector<Complex> decimated(m);
        for (size_t i = 0; i < m; ++i)
            decimated[i] = input[i * radix + r];
        parts[r] = dft(decimated);
    }
    std::vector<Complex> output(n);
    for (size_t k = 0; k < n; ++k)
    {
        Complex sum = 0.0;
        for (size_t r = 0; r < radix; ++r)
            sum += parts[r][k % m] * std::polar(1.0, -2.0 * pi * static_cast<double>(r * k) / static_cast<double>(n));
        output[k] = sum;
    }
    return output;
}

struct AliasFigures
{
    double aliasDb;
    double strongestDb;
    double strongestHz;
};

AliasFigures measure(const std::vector<float>& signal, double fundamentalHz)
{
    const size_t n = signal.size();
    std::vector<Complex> windowed(n);
    for (size_t i = 0; i < n; ++i)
    {
        const double x = 2.0 * pi * static_cast<double>(i) / static_cast<double>(n);
        const double window =
            0.35875 - 0.48829 * std::cos(x) + 0.14128 * std::cos(2.0 * x) - 0.01168 * std::cos(3.0 * x);
        windowed[i] = window * static_cast<double>(signal[i]);
    }
    const std::vector<Complex> spectrum = dft(windowed);

    const int topBin = static_cast<int>(bandTopHz);
    std::vector<bool> harmonic(static_cast<size_t>(topBin + 1), false);
    for (int bin = 0; bin <= topBin; ++bin)
    {
        const double nearest = std::round(bin / fundamentalHz) * fundamentalHz;  // harmonic 0 is DC, excluded
        harmonic[static_cast<size_t>(bin)] = std::fabs(bin - nearest) <= harmonicHalfWidthBins;
    }
    double harmonicPower = 0.0;
    double aliasPower = 0.0;
    int loudest = -1;
    for (int bin = 0; bin <= topBin; ++bin)
    {
        const double power = std::norm(spectrum[static_cast<size_t>(bin)]);
        const bool isDc = bin <= harmonicHalfWidthBins;
        if (harmonic[static_cast<size_t>(bin)])
            harmonicPower += isDc ? 0.0 : power;
        else
        {
            aliasPower += power;
            if (loudest < 0 || power > std::norm(spectrum[static_cast<size_t>(loudest)]))
                loudest = bin;
        }
    }
    double strongestPower = 0.0;
    for (int bin = loudest - componentHalfWidthBins; bin <= loudest + componentHalfWidthBins; ++bin)
        if (bin >= 0 && bin <= topBin && !harmonic[static_cast<size_t>(bin)])
            strongestPower += std::norm(spectrum[static_cast<size_t>(bin)]);
    const auto toDb = [&](double power) { return 10.0 * std::log10(power / harmonicPower + 1e-300); };
    return {toDb(aliasPower), toDb(strongestPower), static_cast<double>(loudest)};
}

std::vector<float> render(const std::function<float()>& next)
{
    for (int i = 0; i < settleSamples; ++i)
        next();
    std::vector<float> signal(static_cast<size_t>(analysedSamples));
    for (float& sample : signal)
        sample = next();
    return signal;
}

double frequencyOf(float note) { return 440.0 * std::pow(2.0, (static_cast<double>(note) - 69.0) / 12.0); }
}  // namespace

int main()
{
    struct Waveform
    {
        const char* name;
        int waveform;
        float pulseWidth;
    };
    const Waveform waveforms[] = {
        {"naive saw", -1, 0.0f},
        {"saw", Osc::waveformSaw, 0.5f},
        {"pulse 0.5", Osc::waveformPulse, 0.5f},
        {"pulse 0.1", Osc::waveformPulse, 0.1f},
        {"triangle", Osc::waveformTriangle, 0.5f},
        {"sine", Osc::waveformSine, 0.5f},  // nothing to alias: the floor of the float phase and the analysis
    };
    const float notes[] = {84.0f, 96.0f, 103.0f};

    std::printf("%-10s %5s %9s %13s %24s\n", "waveform", "MIDI", "f0 (Hz)", "aliases (dB)", "strongest (dB @ Hz)");
    for (const Waveform& shape : waveforms)
        for (float note : notes)
        {
            std::vector<float> signal;
            if (shape.waveform < 0)
            {
                const float inc = static_cast<float>(frequencyOf(note) / sampleRate);
                float phase = 0.0f;
                signal = render(
                    [&]
                    {
                        phase += inc;
                        if (phase >= 1.0f)
                            phase -= 1.0f;
                        return phase - 0.5f;
                    });
            }
            else
            {
                Osc osc(static_cast<float>(sampleRate), nullptr);
                osc.waveform = shape.waveform;
                osc.pulseWidth = shape.pulseWidth;
                signal = render([&] { return osc.process(note); });
            }
            const AliasFigures figures = measure(signal, frequencyOf(note));
            std::printf("%-10s %5.0f %9.1f %13.1f %15.1f @ %5.0f\n", shape.name, static_cast<double>(note),
                        frequencyOf(note), figures.aliasDb, figures.strongestDb, figures.strongestHz);
        }
    return 0;
}
