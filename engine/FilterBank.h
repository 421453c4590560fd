// The filter sections of several voices run side by side, four to a vector, with the results of each on its own.
#pragma once

#include "engine/FilterSection.h"

class FilterBank
{
public:
    static constexpr int kMaxSections = 8;

    // One base-rate sample through each of `count` sections (at most kMaxSections): the same as
    // sections[i]->process(inputs[i], cutoffs[i], resonances[i]) for every i, bit for bit. The ladder
    // types' resonance loops are chains of dependent divisions whose speed is their latency; run for
    // several voices at once in vector lanes, they cost about what one voice costs alone. Other
    // types, and sections whose types differ, run one by one.
    static void process(FilterSection* const* sections, int count, const float* inputs, const float* cutoffs,
                        const float* resonances, float* outputs);
};
