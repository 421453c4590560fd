// A voice's filter section: cutoff sum, drive, 4x oversampling, the twelve filter types and the filter envelope.
#pragma once

#include "engine/Adsr.h"
#include "engine/FilterBp24db.h"
#include "engine/FilterHp12db.h"
#include "engine/FilterLp06db.h"
#include "engine/FilterLp12db.h"
#include "engine/FilterLp18db.h"
#include "engine/FilterLp24db.h"
#include "engine/FilterN24db.h"
#include "engine/FilterStateVariable12db.h"
#include "engine/FilterZdfLadder.h"
#include "engine/HalfBandDecimator.h"
#include "engine/Upsampler4x.h"

#include <cmath>

// Everything the normalised cutoff of one voice is made of, for one sample.
struct CutoffInputs
{
    float smoothedCutoff = 0.0f;   // the engine's smoothed cutoff (plus 0.1 in a silent voice's tail)
    float velocity = 1.0f;         // note-on velocity, 0..1
    float velocityCutoff = 0.0f;   // shared velocity setting
    float velocityContour = 0.0f;  // shared velocity setting
    float pitchWheelCutoffAmount = 0.0f;
    float wheel = 0.0f;  // -1..1
    int note = 60;       // the voice's note number, not the gliding pitch
    float keyFollow = 0.0f;
    float contour = 0.0f;         // signed filter envelope depth
    float filterEnvelope = 0.0f;  // this sample's level from FilterSection::tickEnvelope
    float modulation = 0.0f;      // LFO 1, LFO 2, user and free envelope filter contributions together
};

class FilterSection
{
public:
    // Types as the menu numbers them.
    enum Type
    {
        lowPass24 = 1,
        lowPass18 = 2,
        lowPass12 = 3,
        lowPass6 = 4,
        highPass12 = 5,
        bandPass12 = 6,
        notch = 7,
        stateVariableLowPass = 8,
        stateVariableHighPass = 9,
        stateVariableBandPass = 10,
        zeroDelayLowPass = 11,
        none = 12
    };

    explicit FilterSection(float sampleRate);

    // Ticks the filter envelope with the voice's gate and returns its level for the cutoff sum
    // (1.0 throughout an attack whose setting is exactly 0).
    float tickEnvelope(bool gate)
    {
        envelope.tick(gate);
        return envelope.levelWithInstantAttack();
    }

    // The normalised cutoff: the sum of all sources, squared (so a negative sum folds back) and
    // limited to 1. A NaN sum gives 1.
    static float cutoff(const CutoffInputs& in);

    // One base-rate sample through drive, the selected filter and the output level compensation.
    // cutoff is from cutoff() (0..1), resonance 0..1.
    float process(float input, float cutoff, float resonance);

    // The steps of process for the types that run oversampled, so that the lockstep bank can run
    // the filters of several sections side by side between the upsampling and the decimation.
    static bool runsOversampled(int filterType) { return filterType != zeroDelayLowPass && filterType != none; }
    // The section's own cutoff is always 0..1; a caller's NaN opens the filter.
    static float usableCutoff(float c)
    {
        if (!(c >= 0.0f))
            return c < 0.0f ? 0.0f : 1.0f;
        return c > 1.0f ? 1.0f : c;
    }
    // Drive and upsampling into `oversampled`.
    void upsample(float input) { upsampler.process(input * (1.0f + drive), oversampled); }
    // The selected filter on `oversampled`, in place; c from usableCutoff.
    void filterOversampled(float c, float resonance);
    // Decimation of `oversampled` and the output level compensation.
    float decimate()
    {
        const float a = decimatorA.process(oversampled[0], oversampled[1]);
        const float b = decimatorA.process(oversampled[2], oversampled[3]);
        return compensate(decimatorB.process(a, b));
    }

    // A voice that fell silent: start the decimators and every oversampled filter from their idle
    // state; the zero-delay ladder and the upsampler keep theirs.
    void resetForIdle();

    int type = 0;
    float drive = 0.0f;  // 0 and up
    Upsampler4x upsampler;
    float oversampled[4] = {};
    HalfBandDecimator decimatorA;
    HalfBandDecimator decimatorB;
    FilterLp24db lowPass24Filter;
    FilterLp18db lowPass18Filter;
    FilterLp12db lowPass12Filter;
    FilterLp06db lowPass6Filter;
    FilterHp12db highPassFilter;
    FilterBp24db bandPassFilter;
    FilterN24db notchFilter;
    FilterStateVariable12db stateVariableLowPassFilter;
    FilterStateVariable12db stateVariableHighPassFilter;
    FilterStateVariable12db stateVariableBandPassFilter;
    FilterZdfLadder zeroDelayFilter;
    Adsr envelope;

private:
    float compensate(float y)
    {
        // Drive pushes the filters' saturation; dividing by 1 + drive / 2 keeps the level roughly even.
        const float out = y / (drive * 0.5f + 1.0f);
        if (std::isfinite(out))
            return out;
        // A NaN or infinite input or drive would stay in the upsampler and decimator histories for good.
        clearAfterFault();
        return 0.0f;
    }
    void clearAfterFault();
};
