// Settings every voice reads but the engine owns: the pitch wheel and the velocity amounts.
#pragma once

struct PitchWheelSettings
{
    float pitchAmount = 0.0f;   // 0..1; full amount bends one octave
    float cutoffAmount = 0.0f;  // 0..1
    float wheel = 0.0f;         // -1..1
};

struct VelocitySettings
{
    float volume = 0.0f;   // how much a soft note is quieter, 0..1
    float contour = 0.0f;  // velocity on the filter envelope depth
    float cutoff = 0.0f;   // velocity on the cutoff
};
