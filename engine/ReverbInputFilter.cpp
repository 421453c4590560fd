// Two cascaded first-order low-pass sections that shape the band entering the reverb.
#include "engine/ReverbInputFilter.h"

#include <algorithm>
#include <cmath>

#include "engine/EffectSampleRate.h"

ReverbInputFilter::ReverbInputFilter(float sampleRate, float initialSetting)
    : sampleRateScale(effects::sampleRateScale(effects::usableSampleRate(sampleRate)))
{
    setSetting(initialSetting);
}

void ReverbInputFilter::setSetting(float s)
{
    if (std::isnan(s))
        return;
    setting = std::clamp(s, 0.0f, 1.0f);
    if (setting == lastSetting)
        return;
    lastSetting = setting;
    const float a = (setting * sampleRateScale) * (setting * sampleRateScale);
    b = -1.6f * a * a + 3.6f * a - 1.0f;
    c = (b + 1.0f) * 0.5f;
    // Fully open (a = 1, b = 1 but for rounding), the response is flat while the pole at half the
    // sample rate sits on the unit circle: any mismatch left in the state by a change of setting
    // would ring there for minutes. So the signal is passed straight through.
    passThrough = a >= 1.0f;
}

void ReverbInputFilter::clear()
{
    previousInput1 = 0.0f;
    previousOutput1 = 0.0f;
    previousInput2 = 0.0f;
    previousOutput2 = 0.0f;
}
