// An LFO with its waveform, depth, destination, tempo sync and key trigger; the engine owns two.
#include "engine/LfoHandler.h"

#include <cmath>

#include "engine/AudioUtils.h"

namespace
{
constexpr float kLn20 = 2.9957323f;
}

LfoHandler::LfoHandler(float sampleRate) : lfo(sampleRate) {}

float LfoHandler::process()
{
    value = lfo.tick(waveform);
    return value;
}

float LfoHandler::freeRateHz(float rateValue) { return (std::exp(rateValue * 3.0f * kLn20 + 0.2f) - 1.0f) / 19.0f; }

void LfoHandler::setBaseRate(float rateHz)
{
    baseRate = rateHz;
    lfo.setRate(rateHz);
}

void LfoHandler::setRateFromParameter(float rateValue, float bpm)
{
    float rate = rateValue;
    if (sync)
        AudioUtils::getSyncedRateAndGetText(&rate, bpm);
    else
        rate = freeRateHz(rateValue);
    setBaseRate(rate);
}

void LfoHandler::setSync(float syncValue, float rateValue, float bpm)
{
    sync = syncValue > 0.0f;
    setRateFromParameter(rateValue, bpm);
}

void LfoHandler::restartIfKeyTriggered()
{
    if (!keyTrigger)
        return;
    lfo.phase = startPhase * Lfo::kCycleSteps;
    lfo.heldValue = Lfo::randomBipolar();
}

void LfoHandler::rephaseToHost(double ppqPosition, double bpm)
{
    if (!sync || keyTrigger || !(bpm > 0.0))
        return;
    // Double precision: the host position grows without bound and float would lose the fraction.
    const double cycles = lfo.increment / 256.0 * (60.0 / bpm) * lfo.sampleRate * ppqPosition;
    const double fraction = cycles - std::floor(cycles);
    lfo.phase = static_cast<float>((fraction + startPhase) * Lfo::kCycleSteps);
}
