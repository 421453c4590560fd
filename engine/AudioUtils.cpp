// Static helpers shared by the engine and the editor: the tempo-synced LFO rate table.
#include "engine/AudioUtils.h"

namespace
{
constexpr float kTriplet = 1.5f;
// Dotted lengths raise the rate by 4/3 rather than lowering it by 2/3: kept as stored presets sound.
constexpr float kDotted = 1.3333334f;

struct SyncedRate
{
    const char* text;
    float cyclesPerBeat;
};

constexpr SyncedRate kSyncedRates[AudioUtils::kNumSyncedRates] = {
    {"1/16", 4.0f},
    {"1/8", 2.0f},
    {"1/4", 1.0f},
    {"1/2", 0.5f},
    {"1/1", 0.25f},
    {"2/1", 0.125f},
    {"1/16T", 4.0f * kTriplet},
    {"1/8T", 2.0f * kTriplet},
    {"1/4T", kTriplet},
    {"1/2T", 0.5f * kTriplet},
    {"1/1T", 0.25f * kTriplet},
    {"2/1T", 0.125f * kTriplet},
    {"1/16.", 4.0f * kDotted},
    {"1/8.", 2.0f * kDotted},
    {"1/4.", kDotted},
    {"1/2.", 0.5f * kDotted},
    {"1/1.", 0.25f * kDotted},
    {"2/1.", 0.125f * kDotted},
};
}  // namespace

const char* AudioUtils::getSyncedRateAndGetText(float* value, float bpm)
{
    const float position = *value * 17.0f + 0.001f;
    int index = 0;
    if (position >= static_cast<float>(kNumSyncedRates - 1))
        index = kNumSyncedRates - 1;
    else if (position >= 0.0f)  // also false for NaN
        index = static_cast<int>(position);
    *value = bpm / 60.0f * kSyncedRates[index].cyclesPerBeat;
    return kSyncedRates[index].text;
}
