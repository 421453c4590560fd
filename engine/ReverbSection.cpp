// The reverb as the last stage of the master chain: wet level, mix with the dry signal and the
// denormal noise that keeps its tail out of the slow number range.
#include "engine/ReverbSection.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/DspMath.h"

namespace
{
constexpr float kNoiseLevel = 1.0e-9f;
}

ReverbSection::ReverbSection(float sampleRate) : reverb(sampleRate), noiseSeed(std::rand()) {}

void ReverbSection::process(float& left, float& right)
{
    if (!(wet > 0.0f))
        return;
    noiseSeed = dsp::advanceNoiseSeed(noiseSeed);
    const float noise = dsp::unipolarNoise(noiseSeed) * kNoiseLevel;
    const float dryLeft = left + noise;
    const float dryRight = right + noise;

    float wetLeft = 0.0f;
    float wetRight = 0.0f;
    reverb.process(dryLeft, dryRight, wetLeft, wetRight);

    const float cross = (1.0f - width) * 0.5f * wet;
    const float direct = (width * 0.5f + 0.5f) * wet;
    left = dryLeft * dryGain + wetRight * cross + wetLeft * direct;
    right = dryRight * dryGain + wetLeft * cross + wetRight * direct;
}

void ReverbSection::setWet(float amount)
{
    if (!std::isnan(amount))
        wet = std::clamp(amount, 0.0f, 1.0f);
}
