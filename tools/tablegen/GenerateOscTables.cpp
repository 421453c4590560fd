// Writes engine/OscTables.cpp: the two correction kernels the oscillators add at waveform discontinuities.
//
// Both kernels start from the same prototype low-pass: a sinc with its cut-off at 0.48 cycles per output sample
// (21.2 kHz at 44.1 kHz), sixteen zero crossings' worth (±16 samples) on each side of its centre, shaped by a
// Blackman window over those ±16 samples and normalised to unit gain at DC. The cut-off sits a little below
// Nyquist so that the transition band is mostly spent before 24.1 kHz, whose images fold back below 20 kHz.
//
// blep (3,368 entries, 64 points per output sample): a minimum-phase band-limited unit step, one sample late.
//   1. The prototype is sampled at 64 points per sample (2,049 taps).
//   2. It is made minimum-phase by the real-cepstrum (homomorphic) method on a 2^18-point FFT: log magnitude,
//      inverse FFT, fold the anti-causal half of the cepstrum onto the causal half, FFT, complex exponential,
//      inverse FFT. The magnitude response is unchanged; the energy moves to the start.
//   3. The step is the running sum of that impulse response (entry n includes tap n), divided by the full sum so
//      that it settles at exactly 1.
//   4. It is delayed by one output sample: entries 0 to 64 are 0. The ring never plays a kernel's first sample
//      (that slot has just been played when the kernel is placed), so a step that had already started rising
//      there would lose that part, leaving an error of up to a few thousandths at every jump, about -70 dB of
//      aliasing. Delayed, nothing of the step is lost.
//   Only the first 3,368 entries are kept; the oscillators read entries 0 to 2,049 (a delay of at most one
//   sample plus 32 samples, plus one for interpolation), by which point the step is 1 within a few millionths.
//   Shape: 0 up to entry 64, crosses 0.5 near entry 248, overshoots to about 1.214 near entry 330, rings, settles.
//
// sinc (4,100 entries, 128 points per output sample): a band-limited corner kernel centred at entry 2,048.
//   It is the residual of a corner: (prototype-filtered ramp) - (ideal ramp) for a unit change of slope per
//   sample, i.e. the prototype integrated twice minus max(t, 0). For a symmetric prototype this residual is even
//   in t and exactly 0 beyond ±16 samples, so it is computed on the left half (t <= 0, where the ideal ramp is 0
//   and the residual is the double integral of the prototype, by the trapezoid rule on 8,192 points per sample)
//   and mirrored. It is divided by 16: the triangle places it with weight 32 * inc2 for a slope change of
//   2 * inc2. Entries 4,097 to 4,099 are 0 (the interpolation may touch entry 4,097).
//   Shape: peak 0.00661 at entry 2,048, negative lobes of -0.00229 at entries 1,966 and 2,130, 0 at both ends.
//
// Values below 1e-20 in magnitude are written as 0 so that no product with a small weight becomes denormal.
//
// Usage: generate_osc_tables [output path, default engine/OscTables.cpp]; prints a summary of both shapes.

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
constexpr double pi = 3.14159265358979323846;
constexpr double cutoff = 0.48;    // cycles per output sample
constexpr double halfSpan = 16.0;  // output samples on each side of the prototype's centre
constexpr int blepSize = 3368;
constexpr int blepPointsPerSample = 64;
constexpr size_t blepDelayPoints = blepPointsPerSample;  // one output sample
constexpr int cepstrumFftSizeLog2 = 18;
constexpr int sincSize = 4100;
constexpr int sincPointsPerSample = 128;
constexpr int sincCentre = 2048;
constexpr double sincScale = 1.0 / 16.0;
constexpr int integrationStepsPerPoint = 64;
constexpr double flushBelow = 1e-20;

using Complex = std::complex<double>;

void fft(std::vector<Complex>& data, bool inverse)
{
    const size_t n = data.size();
    for (size_t i = 1, j = 0; i < n; ++i)
    {
        size_t bit = n >> 1;
        for (; (j & bit) != 0; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(data[i], data[j]);
    }
    for (size_t length = 2; length <= n; length <<= 1)
    {
        const double angle = (inverse ? 2.0 : -2.0) * pi / static_cast<double>(length);
        for (size_t start = 0; start < n; start += length)
            for (size_t k = 0; k < length / 2; ++k)
            {
                const Complex twiddle = std::polar(1.0, angle * static_cast<double>(k));
                const Complex even = data[start + k];
                const Complex odd = data[start + k + length / 2] * twiddle;
                data[start + k] = even + odd;
                data[start + k + length / 2] = even - odd;
            }
    }
    if (inverse)
        for (Complex& value : data)
            value /= static_cast<double>(n);
}

// The prototype low-pass at time t (in output samples from its centre), before DC normalisation.
double prototype(double t)
{
    if (std::fabs(t) >= halfSpan)
        return 0.0;
    const double sinc = t == 0.0 ? 2.0 * cutoff : std::sin(2.0 * pi * cutoff * t) / (pi * t);
    const double u = (t / halfSpan + 1.0) / 2.0;
    const double blackman = 0.42 - 0.5 * std::cos(2.0 * pi * u) + 0.08 * std::cos(4.0 * pi * u);
    return sinc * blackman;
}

std::vector<double> buildBlep()
{
    const int half = static_cast<int>(halfSpan) * blepPointsPerSample;
    const size_t fftSize = size_t{1} << cepstrumFftSizeLog2;
    std::vector<Complex> spectrum(fftSize, 0.0);
    for (int n = 0; n <= 2 * half; ++n)
        spectrum[static_cast<size_t>(n)] = prototype(static_cast<double>(n - half) / blepPointsPerSample);

    fft(spectrum, false);
    for (Complex& value : spectrum)
        value = std::log(std::max(std::abs(value), 1e-100));
    fft(spectrum, true);
    for (size_t n = 1; n < fftSize / 2; ++n)
    {
        spectrum[n] *= 2.0;
        spectrum[fftSize - n] = 0.0;
    }
    fft(spectrum, false);
    for (Complex& value : spectrum)
        value = std::exp(value);
    fft(spectrum, true);

    double total = 0.0;
    for (size_t n = 0; n < fftSize; ++n)
        total += spectrum[n].real();
    std::vector<double> step(blepSize, 0.0);
    double sum = 0.0;
    for (size_t n = blepDelayPoints; n < step.size(); ++n)
    {
        sum += spectrum[n - blepDelayPoints].real();
        step[n] = sum / total;
    }
    return step;
}

std::vector<double> buildSinc()
{
    const int stepsPerSample = sincPointsPerSample * integrationStepsPerPoint;
    const double dt = 1.0 / stepsPerSample;
    const int totalSteps = static_cast<int>(halfSpan) * stepsPerSample;

    double gain = 0.0;
    for (int n = -totalSteps; n < totalSteps; ++n)
        gain += 0.5 * (prototype(n * dt) + prototype((n + 1) * dt)) * dt;

    std::vector<double> kernel(sincSize, 0.0);
    double step = 0.0;
    double residual = 0.0;
    for (int n = -totalSteps; n < 0; ++n)
    {
        const double nextStep = step + 0.5 * (prototype(n * dt) + prototype((n + 1) * dt)) * dt / gain;
        residual += 0.5 * (step + nextStep) * dt;
        step = nextStep;
        if ((n + 1) % integrationStepsPerPoint == 0)
        {
            const int offset = (n + 1) / integrationStepsPerPoint;  // points from the centre, <= 0
            kernel[static_cast<size_t>(sincCentre + offset)] = residual * sincScale;
            kernel[static_cast<size_t>(sincCentre - offset)] = residual * sincScale;
        }
    }
    return kernel;
}

void flushTiny(std::vector<double>& table)
{
    for (double& value : table)
        if (std::fabs(value) < flushBelow)
            value = 0.0;
}

void writeArray(FILE* file, const char* name, const std::vector<double>& table)
{
    std::fprintf(file, "const float OscTables::%s[] = {\n", name);
    for (size_t i = 0; i < table.size(); ++i)
    {
        std::fprintf(file, "%s%.8ef,", i % 6 == 0 ? "    " : " ", static_cast<double>(static_cast<float>(table[i])));
        if (i % 6 == 5 || i + 1 == table.size())
            std::fprintf(file, "\n");
    }
    std::fprintf(file, "};\n");
}

void printSummary(const std::vector<double>& blep, const std::vector<double>& sinc)
{
    size_t half = 0;
    while (blep[half] < 0.5)
        ++half;
    const size_t peak = static_cast<size_t>(std::max_element(blep.begin(), blep.end()) - blep.begin());
    size_t settled = blep.size();
    while (settled > 0 && std::fabs(blep[settled - 1] - 1.0) < 5e-6)
        --settled;
    std::printf("blep: crosses 0.5 at %zu, maximum %.4f at %zu, within 5e-6 of 1 from %zu\n", half, blep[peak], peak,
                settled);
    std::printf("blep rows:");
    for (size_t row : {0, 64, 128, 192, 256, 320, 384, 448, 512, 640, 1024, 1536, 2048})
        std::printf(" %zu: %.4f", row, blep[row]);
    std::printf("\n");

    const auto lowest = [&](size_t from, size_t to)
    {
        return static_cast<size_t>(
            std::min_element(sinc.begin() + static_cast<long>(from), sinc.begin() + static_cast<long>(to)) -
            sinc.begin());
    };
    const size_t left = lowest(1900, sincCentre);
    const size_t right = lowest(sincCentre + 1, 2200);
    double sum = 0.0;
    for (double value : sinc)
        sum += value;
    std::printf("sinc: peak %.8f at %d, lobes %.8f at %zu and %.8f at %zu, ends %.3g and %.3g, sum / 128 %.6f\n",
                sinc[sincCentre], sincCentre, sinc[left], left, sinc[right], right, sinc[0], sinc[4096],
                sum / sincPointsPerSample);
}
}  // namespace

int main(int argc, char** argv)
{
    const std::string path = argc > 1 ? argv[1] : "engine/OscTables.cpp";
    std::vector<double> blep = buildBlep();
    std::vector<double> sinc = buildSinc();
    flushTiny(blep);
    flushTiny(sinc);
    printSummary(blep, sinc);

    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr)
    {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    std::fprintf(file, "// Correction kernels for the oscillators. Generated by tools/tablegen/GenerateOscTables.cpp; "
                       "do not edit.\n\n#include \"engine/OscTables.h\"\n\n");
    writeArray(file, "blep", blep);
    std::fprintf(file, "\n");
    writeArray(file, "sinc", sinc);
    std::fclose(file);
    return 0;
}
