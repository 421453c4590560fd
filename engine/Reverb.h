// Stereo algorithmic reverb: mono pre-delay, band-shaping input filters, four drifting feedback
// lines and five all-pass diffusers per channel, all of prime length.
#pragma once

#include <array>
#include <vector>

#include "engine/AllpassDiffuser.h"
#include "engine/DriftGenerator.h"
#include "engine/ReverbCombLine.h"
#include "engine/ReverbInputFilter.h"

class Reverb
{
public:
    static constexpr int kLinesPerChannel = 4;
    static constexpr int kDiffusersPerChannel = 5;
    static constexpr float kMaximumDecay = 0.99f;

    // Allocates every line for the sample rate (Hz). The eight drift seeds are drawn from the C
    // library's rand (left lines first), so srand makes a reverb reproducible.
    explicit Reverb(float sampleRate);

    // One sample of the input pair; writes the wet pair (the dry signal is not included).
    void process(float left, float right, float& wetLeft, float& wetRight);

    // 0..0.99: both the length the lines read back and their feedback; limited to that, NaN ignored.
    void setDecay(float size);
    // 0..1 of the one-second pre-delay line; limited to that, NaN ignored.
    void setPreDelay(float amount);
    // Empties every line and filter; the drift keeps running from where it is.
    void clear();

    // Base times in milliseconds, 44.282 to 82 for index 0..8, nine steps per octave.
    static float baseTimeMs(int index);
    // Samples for a time in milliseconds, raised to the next prime (lengths below 4 are kept).
    static int primeLength(float timeMs, float sampleRate);

    float sampleRate;
    std::vector<float> preDelayLine;
    int preDelayWriteIndex = 0;
    std::vector<ReverbCombLine> leftLines;
    std::vector<ReverbCombLine> rightLines;
    std::array<DriftGenerator, kLinesPerChannel> leftDrift;
    std::array<DriftGenerator, kLinesPerChannel> rightDrift;
    std::vector<AllpassDiffuser> leftDiffusers;
    std::vector<AllpassDiffuser> rightDiffusers;
    // A keeps the top of the band (its setting falls to darken); p - B(p) then removes what B
    // passes, so raising B's setting raises the bottom. Set from reverblowcut and reverbhighcut.
    ReverbInputFilter inputFilterA;
    ReverbInputFilter inputFilterB;
    float decay = 0.5f;
    float preDelay = 0.0f;
};
