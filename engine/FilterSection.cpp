// A voice's filter section: cutoff sum, drive, 4x oversampling, the twelve filter types and the filter envelope.
#include "engine/FilterSection.h"

namespace
{
// The unoversampled path scales down before the filter and up after it.
constexpr float kDirectInputScale = 0.25f;
constexpr float kDirectOutputScale = 12.0f;
}  // namespace

FilterSection::FilterSection(float sampleRate)
    : lowPass24Filter(sampleRate)
    , lowPass18Filter(sampleRate)
    , lowPass12Filter(sampleRate)
    , lowPass6Filter(sampleRate)
    , highPassFilter(sampleRate)
    , bandPassFilter(sampleRate)
    , notchFilter(sampleRate)
    , stateVariableLowPassFilter(sampleRate, FilterStateVariable12db::lowPass)
    , stateVariableHighPassFilter(sampleRate, FilterStateVariable12db::highPass)
    , stateVariableBandPassFilter(sampleRate, FilterStateVariable12db::bandPass)
    , zeroDelayFilter(sampleRate)
    , envelope(sampleRate)
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
    c = usableCutoff(c);
    if (runsOversampled(type))
    {
        upsample(input);
        filterOversampled(c, r);
        return decimate();
    }
    float x = input * (1.0f + drive) * kDirectInputScale;
    if (type == zeroDelayLowPass)
        zeroDelayFilter.process(&x, c, r);
    return compensate(x * kDirectOutputScale);
}

void FilterSection::filterOversampled(float c, float r)
{
    switch (type)
    {
    case lowPass24: lowPass24Filter.processOversampled(oversampled, c, r); break;
    case lowPass18: lowPass18Filter.processOversampled(oversampled, c, r); break;
    case lowPass12: lowPass12Filter.processOversampled(oversampled, c, r); break;
    case lowPass6: lowPass6Filter.processOversampled(oversampled, c, r); break;
    case highPass12: highPassFilter.processOversampled(oversampled, c, r); break;
    case bandPass12: bandPassFilter.processOversampled(oversampled, c, r); break;
    case notch: notchFilter.processOversampled(oversampled, c, r); break;
    case stateVariableLowPass: stateVariableLowPassFilter.processOversampled(oversampled, c, r); break;
    case stateVariableHighPass: stateVariableHighPassFilter.processOversampled(oversampled, c, r); break;
    case stateVariableBandPass: stateVariableBandPassFilter.processOversampled(oversampled, c, r); break;
    default:  // any other type passes the oversampled signal unchanged
        break;
    }
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
