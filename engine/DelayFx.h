// One channel of the stereo delay: a four-second line with tone filter, high-pass and saturation in
// its feedback path.
#pragma once

#include <vector>

#include "engine/DcBlocker.h"
#include "engine/DelayToneFilter.h"

class DelayFx
{
public:
    static constexpr float kBufferSeconds = 4.0f;
    static constexpr float kMinimumTime = 0.01f;  // 40 ms
    static constexpr float kMaximumTime = 1.0f;   // the whole buffer: 4 s
    static constexpr float kMaximumFeedback = 2.0f;

    // Allocates the line for the sample rate (Hz).
    explicit DelayFx(float sampleRate);

    // Reads the delayed sample for *input, feeds the input and the feedback into the line, and
    // returns the delayed sample.
    float process(const float* input);

    // Delay as a fraction of the four-second buffer, limited to 0.01..1; NaN is ignored.
    void setTime(float fraction);
    // 0..2, 1 at the centre of the parameter; limited to that range, NaN ignored.
    void setFeedback(float amount);
    // Normalised tone setting 0..1 (0 brightest, 1 lets nothing new in).
    void setTone(float normalised) { toneFilter.setTone(normalised); }
    // Feedback high-pass coefficient, 0.979 (lowest corner) down to 0.599 in normal use.
    void setHighPass(float coefficient) { feedbackHighPass.setCoefficient(coefficient); }

    // Empties the line and all filter state; the write position returns to its start.
    void clear();

    float sampleRate;
    std::vector<float> buffer;
    int length;
    int writePosition;
    float time = kMaximumTime;
    float feedback = 0.5f;
    float previousOutput = 0.0f;  // all-pass interpolation state
    DelayToneFilter toneFilter;
    DcBlocker feedbackHighPass;
};
