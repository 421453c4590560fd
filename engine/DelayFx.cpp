// One channel of the stereo delay: a four-second line with tone filter, high-pass and saturation in
// its feedback path.
#include "engine/DelayFx.h"

#include <algorithm>
#include <cmath>

#include "engine/DspMath.h"
#include "engine/EffectSampleRate.h"

DelayFx::DelayFx(float rate)
    : sampleRate(effects::usableSampleRate(rate))
    , buffer(static_cast<size_t>(std::floor(kBufferSeconds * sampleRate + 1.0f)), 0.0f)
    , length(static_cast<int>(buffer.size()))
    , writePosition(length - 1)
    , toneFilter(sampleRate)
{
}

float DelayFx::process(const float* input)
{
    const float x = *input;
    const float position = static_cast<float>(length - 1) * time;
    const float whole = std::floor(position);
    const int distance = static_cast<int>(whole);
    const float a = 1.0f - (position - whole);

    int read = writePosition - distance;
    if (read < 0)
        read += length;
    int readBefore = read - 1;
    if (readBefore < 0)
        readBefore += length;

    // First-order all-pass interpolation of the fractional part. On a whole-sample delay (a = 1)
    // its pole sits on the unit circle: any mismatch left in the state by a change of time would
    // ring at half the sample rate for ever, so the sample is read directly there. That is the
    // value the all-pass gives when its state matches, and it leaves the state matched.
    const float y =
        a < 1.0f ? buffer[static_cast<size_t>(read)] * a + buffer[static_cast<size_t>(readBefore)] - a * previousOutput
                 : buffer[static_cast<size_t>(read)];
    previousOutput = dsp::flushTiny(y);

    const float toned = toneFilter.process(feedback * y + x);
    const float highPassed = feedbackHighPass.process(toned);
    // Saturation keeps the line within +-1 however high the feedback.
    buffer[static_cast<size_t>(writePosition)] = dsp::saturate(2.0f * highPassed);
    if (++writePosition == length)
        writePosition = 0;
    return y;
}

void DelayFx::setTime(float fraction)
{
    if (!std::isnan(fraction))
        time = std::clamp(fraction, kMinimumTime, kMaximumTime);
}

void DelayFx::setFeedback(float amount)
{
    if (!std::isnan(amount))
        feedback = std::clamp(amount, 0.0f, kMaximumFeedback);
}

void DelayFx::clear()
{
    std::fill(buffer.begin(), buffer.end(), 0.0f);
    writePosition = length - 1;
    previousOutput = 0.0f;
    // The filters stand still while the delay is off; left alone, their last state would write a
    // click into the emptied line as soon as the delay runs again.
    toneFilter.clear();
    feedbackHighPass.clear();
}
