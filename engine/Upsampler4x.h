// Four-times upsampler by linear interpolation from the previous base-rate sample.
#pragma once

class Upsampler4x
{
public:
    // Writes the four sub-samples leading from the previous input to x, ending on x.
    void process(float x, float out[4])
    {
        const float p = previousInput;
        const float step = x - p;
        out[0] = p + step * 0.25f;
        out[1] = p + step * 0.5f;
        out[2] = p + step * 0.75f;
        out[3] = x;
        previousInput = x;
    }

    float previousInput = 0.0f;
};
