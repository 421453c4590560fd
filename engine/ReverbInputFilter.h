// Two cascaded first-order low-pass sections that shape the band entering the reverb.
#pragma once

#include "engine/DspMath.h"

class ReverbInputFilter
{
public:
    // Sample rate in Hz and the initial setting (0..1).
    ReverbInputFilter(float sampleRate, float initialSetting);

    float process(float x)
    {
        if (passThrough)
        {
            // Keeping the states on the signal lets a later setting start without a jump.
            previousInput1 = previousOutput1 = previousInput2 = previousOutput2 = x;
            return x;
        }
        const float y1 = c * (x + previousInput1) - b * previousOutput1;
        previousInput1 = x;
        previousOutput1 = dsp::flushTiny(y1);
        const float y2 = c * (y1 + previousInput2) - b * previousOutput2;
        previousInput2 = previousOutput1;
        previousOutput2 = dsp::flushTiny(y2);
        return y2;
    }

    // Setting 0..1: 1 is fully open (at 44,100 Hz or less it passes the signal unchanged), 0 stops
    // following the input and holds the last output. Values outside 0..1 are limited to it; NaN is
    // ignored. The coefficients are recomputed only when the setting changes.
    void setSetting(float s);
    void clear();

    float sampleRateScale;
    float setting = -1.0f;
    float lastSetting = -1.0f;  // impossible value: the first setting always computes
    float b = -1.0f;
    float c = 0.0f;
    bool passThrough = false;
    float previousInput1 = 0.0f;
    float previousOutput1 = 0.0f;
    float previousInput2 = 0.0f;
    float previousOutput2 = 0.0f;
};
