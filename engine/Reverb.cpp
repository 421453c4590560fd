// Stereo algorithmic reverb: mono pre-delay, band-shaping input filters, four drifting feedback
// lines and five all-pass diffusers per channel, all of prime length.
#include "engine/Reverb.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/EffectSampleRate.h"

namespace
{
constexpr float kPreDelayMs = 1000.0f;
// Lines of one channel are stretched where the other's are not, so the channels decorrelate.
constexpr float kStretch = 1.008f;
constexpr float kLeftDiffuserScale = 0.105f;
constexpr float kRightDiffuserScale = 0.1f;
constexpr int kFirstDiffuserTime = 3;
constexpr float kFeedbackScale = 0.998f;
constexpr float kInputScale = 0.25f;  // mono sum with headroom for the resonant lines

bool isPrime(int n)
{
    for (int divisor = 2; static_cast<long long>(divisor) * divisor <= n; ++divisor)
        if (n % divisor == 0)
            return false;
    return true;
}
}  // namespace

float Reverb::baseTimeMs(int index) { return 82.0f / std::pow(2.0f, static_cast<float>(8 - index) / 9.0f); }

int Reverb::primeLength(float timeMs, float rate)
{
    int samples = static_cast<int>(timeMs * rate / 1000.0f);
    if (samples < 4)
        return samples;
    while (!isPrime(samples))
        ++samples;
    return samples;
}

Reverb::Reverb(float rate)
    : sampleRate(effects::usableSampleRate(rate))
    , preDelayLine(static_cast<size_t>(primeLength(kPreDelayMs, sampleRate)), 0.0f)
    , inputFilterA(sampleRate, 0.0f)
    , inputFilterB(sampleRate, 1.0f)
{
    for (int k = 0; k < kLinesPerChannel; ++k)
    {
        const float time = baseTimeMs(k);
        const bool even = k % 2 == 0;
        leftLines.emplace_back(primeLength(even ? time * kStretch : time, sampleRate));
        rightLines.emplace_back(primeLength(even ? time : time * kStretch, sampleRate));
    }
    for (int j = 0; j < kDiffusersPerChannel; ++j)
    {
        const float time = baseTimeMs(kFirstDiffuserTime + j);
        leftDiffusers.emplace_back(primeLength(time * kLeftDiffuserScale, sampleRate));
        rightDiffusers.emplace_back(primeLength(time * kRightDiffuserScale, sampleRate));
    }
    for (DriftGenerator& drift : leftDrift)
        drift.seed = std::rand();
    for (DriftGenerator& drift : rightDrift)
        drift.seed = std::rand();
}

void Reverb::process(float left, float right, float& wetLeft, float& wetRight)
{
    const float sum = (left + right) * kInputScale;
    // A NaN or infinite input is kept out of the one-second line.
    const float mono = std::isfinite(sum) ? sum : 0.0f;

    const int preDelayLength = static_cast<int>(preDelayLine.size());
    const int distance = static_cast<int>(std::floor(static_cast<float>(preDelayLength - 2) * preDelay + 1.0f));
    int read = preDelayWriteIndex - distance;
    if (read < 0)
        read += preDelayLength;
    const float delayed = preDelayLine[static_cast<size_t>(read)];
    preDelayLine[static_cast<size_t>(preDelayWriteIndex)] = mono;
    if (++preDelayWriteIndex == preDelayLength)
        preDelayWriteIndex = 0;

    const float p = inputFilterA.process(delayed);
    const float x = p - inputFilterB.process(p);

    const float gain = decay * kFeedbackScale;
    float sumLeft = 0.0f;
    float sumRight = 0.0f;
    for (int k = 0; k < kLinesPerChannel; ++k)
    {
        // Alternating signs keep the lines' common low end from piling up.
        const float sign = k % 2 == 0 ? 1.0f : -1.0f;
        const size_t i = static_cast<size_t>(k);
        sumLeft += sign * leftLines[i].process(x, gain, leftDrift[i].tick());
        sumRight += sign * rightLines[i].process(x, gain, rightDrift[i].tick());
    }
    for (AllpassDiffuser& diffuser : leftDiffusers)
        sumLeft = diffuser.process(sumLeft);
    for (AllpassDiffuser& diffuser : rightDiffusers)
        sumRight = diffuser.process(sumRight);

    if (std::isfinite(sumLeft) && std::isfinite(sumRight))
    {
        wetLeft = sumLeft;
        wetRight = sumRight;
        return;
    }
    // Only reachable by overflow from inputs near the float limit: start again from silence.
    clear();
    wetLeft = 0.0f;
    wetRight = 0.0f;
}

void Reverb::setDecay(float size)
{
    if (!std::isnan(size))
        decay = std::clamp(size, 0.0f, kMaximumDecay);
}

void Reverb::setPreDelay(float amount)
{
    if (!std::isnan(amount))
        preDelay = std::clamp(amount, 0.0f, 1.0f);
}

void Reverb::clear()
{
    std::fill(preDelayLine.begin(), preDelayLine.end(), 0.0f);
    preDelayWriteIndex = 0;
    for (ReverbCombLine& line : leftLines)
        line.clear();
    for (ReverbCombLine& line : rightLines)
        line.clear();
    for (AllpassDiffuser& diffuser : leftDiffusers)
        diffuser.clear();
    for (AllpassDiffuser& diffuser : rightDiffusers)
        diffuser.clear();
    inputFilterA.clear();
    inputFilterB.clear();
}
