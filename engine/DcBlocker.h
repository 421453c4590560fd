// One-pole DC-blocking high-pass: the master high-pass and the blockers around the chorus and delay.
#pragma once

#include <cmath>

class DcBlocker
{
public:
    // 2^-32: added to the stored input so the output settles on a tiny constant instead of decaying
    // into the slow denormal range.
    static constexpr float kDefaultOffset = 2.3283064e-10f;

    // Coefficient 0..1 (1 passes everything, apart from a slow drift by the offset; lower values
    // raise the corner); offset as above.
    explicit DcBlocker(float coefficient = 1.0f, float offset = kDefaultOffset);

    float process(float x)
    {
        const float y = coefficient * output + x - previousInput;
        previousInput = x + offset;
        if (std::isfinite(y))
        {
            output = y;
            return y;
        }
        // An infinite or NaN input would otherwise stay in the state for good.
        clear();
        return 0.0f;
    }

    // Values outside 0..1 are limited to it (above 1 the filter would grow without bound); NaN is
    // ignored.
    void setCoefficient(float k);
    void clear();

    float coefficient;
    float offset;
    float previousInput = 0.0f;
    float output = 0.0f;
};
