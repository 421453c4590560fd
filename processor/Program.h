// One program: a name, the 92 parameter values, the MIDI-controller map and the envelope points.
#pragma once

#include "envelope/SplinePoint.h"
#include "processor/ParameterTable.h"

#include <juce_core/juce_core.h>

#include <array>

struct Program
{
    Program();

    juce::String name{"default"};
    std::array<float, kNumParameters> values{};
    // Controller number -> parameter index; 0 means the controller drives nothing.
    std::array<int, kNumControllers> controllerMap{};
    SplinePointList splinePoints;
};
