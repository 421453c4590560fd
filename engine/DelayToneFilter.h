// Gentle one-pole low-pass in the delay's feedback path, darker with each repeat as its setting rises.
#pragma once

#include <algorithm>
#include <cmath>

#include "engine/DspMath.h"

class DelayToneFilter
{
public:
    static constexpr float kPositiveTrim = 0.001f;

    explicit DelayToneFilter(float sampleRate);

    float process(float x)
    {
        const float newV = v + 0.5f * coefficient * (x - v);
        if (!std::isfinite(newV))
        {
            // An infinite or NaN input must not leave the filter stuck.
            clear();
            return 0.0f;
        }
        v = dsp::flushTiny(newV);
        w = dsp::flushTiny(0.125f * w + 0.875f * v);
        // Positive output is trimmed by 0.1 %, so repeats lose a little of one polarity each pass.
        // Written without a branch: the sign of an audio signal is unpredictable.
        return w - kPositiveTrim * std::max(w, 0.0f);
    }

    // Normalised tone setting 0..1: 0 is the brightest, 1 closes the filter (coefficient 0) so no
    // new sound enters. Values outside 0..1 are limited to it; NaN is ignored.
    void setTone(float normalised);
    // The coefficient for a tone setting at the given sample-rate scale (min(1, 44,100 / rate)):
    // about 1.34 at setting 0 and scale 1, 0 at setting 1.
    static float coefficientFor(float normalised, float rateScale);
    void clear();

    float sampleRateScale;
    float coefficient = 0.0f;  // closed until a tone setting is applied
    float v = 0.0f;            // one-pole state
    float w = 0.0f;            // smoothing state
};
