// A voice's filter section: cutoff sum, drive, 4x oversampling, the twelve filter types and the filter envelope.
#include "engine/FilterSection.h"

#include <cmath>

namespace
{
// The unoversampled path scales down before the filter and up after it.
constexpr float kDirectInputScale = 0.25f;
constexpr float kDirectOutputScale = 12.0f;
}  // namespace

FilterSection::FilterSection(float sampleRate)
    : lowPass24Filter(sampleRate),
      lowPass18Filter(sampleRate),
      lowPass12Filter(sampleRate),
      lowPass6Filter(sampleRate),
      highPassFilter(sampleRate),
      bandPassFilter(sampleRate),
      notchFilter(sampleRate),
      stateVariableLowPassFilter(sampleRate, FilterStateVariable12db::lowPass),
      stateVariableHighPassFilter(sampleRate, FilterStateVariable12db::highPass),
      stateVariableBandPassFilter(sampleRate, FilterStateVariable12db::bandPass),
      zeroDelayFilter(sampleRate),
      envelope(sampleRate)
{
}

float FilterSection::cutoff(const CutoffInputs& in)
{
    const float sum = in.velocityCutoff * in.velocity + in.pitchWheelCutoffAmount * in.wheel + in.smoothedCutoff +
                      static_cast<float>(in.note - 72) / 512.0f * in.keyFollow + in.modulation +
                      (in.velocityContour * in.velocity + in.contour) * in.filterEnvelope;
    const float squared = sum * sum;
    return squared < 1.0f ? squared : 1.0f;
}

float FilterSection::process(float input, float c, float r)
{
    // The section's own cutoff is always 0..1; a caller's NaN opens the filter.
    if (!(c >= 0.0f))
        c = c < 0.0f ? 0.0f : 1.0f;
    else if (c > 1.0f)
        c = 1.0f;

    float x = input * (1.0f + drive);
    float y;
    if (type == zeroDelayLowPass || type == none)
    {
        x *= kDirectInputScale;
        if (type == zeroDelayLowPass)
            zeroDelayFilter.process(&x, c, r);
        y = x * kDirectOutputScale;
    }
    else
    {
        upsampler.process(x, oversampled);
        switch (type)
        {
        case lowPass24:
            lowPass24Filter.processOversampled(oversampled, c, r);
            break;
        case lowPass18:
            lowPass18Filter.processOversampled(oversampled, c, r);
            break;
        case lowPass12:
            lowPass12Filter.processOversampled(oversampled, c, r);
            break;
        case lowPass6:
            lowPass6Filter.processOversampled(oversampled, c, r);
            break;
        case highPass12:
            highPassFilter.processOversampled(oversampled, c, r);
            break;
        case bandPass12:
            bandPassFilter.processOversampled(oversampled, c, r);
            break;
        case notch:
            notchFilter.processOversampled(oversampled, c, r);
            break;
        case stateVariableLowPass:
            stateVariableLowPassFilter.processOversampled(oversampled, c, r);
            break;
        case stateVariableHighPass:
            stateVariableHighPassFilter.processOversampled(oversampled, c, r);
            break;
        case stateVariableBandPass:
            stateVariableBandPassFilter.processOversampled(oversampled, c, r);
            break;
        default:  // any other type passes the oversampled signal unchanged
            break;
        }
        const float a = decimatorA.process(oversampled[0], oversampled[1]);
        const float b = decimatorA.process(oversampled[2], oversampled[3]);
        y = decimatorB.process(a, b);
    }

    // Drive pushes the filters' saturation; dividing by 1 + drive / 2 keeps the level roughly even.
    const float out = y / (drive * 0.5f + 1.0f);
    if (std::isfinite(out))
        return out;
    // A NaN or infinite input or drive would stay in the upsampler and decimator histories for good.
    clearAfterFault();
    return 0.0f;
}

void FilterSection::resetForIdle()
{
    decimatorA.clear();
    decimatorB.clear();
    lowPass24Filter.resetForIdle();
    lowPass18Filter.resetForIdle();
    lowPass12Filter.resetForIdle();
    lowPass6Filter.resetForIdle();
    highPassFilter.resetForIdle();
    bandPassFilter.resetForIdle();
    notchFilter.resetForIdle();
    stateVariableLowPassFilter.resetForIdle();
    stateVariableHighPassFilter.resetForIdle();
    stateVariableBandPassFilter.resetForIdle();
}

void FilterSection::clearAfterFault()
{
    upsampler.previousInput = 0.0f;
    decimatorA.clear();
    decimatorB.clear();
    lowPass24Filter.clear();
    lowPass18Filter.clear();
    lowPass12Filter.clear();
    lowPass6Filter.clear();
    highPassFilter.clear();
    bandPassFilter.clear();
    notchFilter.clear();
    stateVariableLowPassFilter.clear();
    stateVariableHighPassFilter.clear();
    stateVariableBandPassFilter.clear();
    zeroDelayFilter.clear();
}
