// Nineteen-tap half-band FIR that halves the sample rate: one output per pair of input samples.
#pragma once

class HalfBandDecimator
{
public:
    // Takes the n-th pair (u[2n], u[2n + 1]) and returns sum over j = -9..9 of h[j] * u[2n - 9 - j].
    // Only the odd taps and the centre are nonzero, so the newest sample u[2n + 1] waits for the next
    // pair, and the centre tap falls on the second sample of the pair five pairs back.
    float process(float first, float second)
    {
        // Ring buffers instead of shifting histories: the filters before the decimators leave the
        // processor little room for extra stores.
        evenPosition = evenPosition == 0 ? kEvenTaps - 1 : evenPosition - 1;
        evenHistory[evenPosition] = first;
        evenHistory[evenPosition + kEvenTaps] = first;  // a second copy keeps the ten taps contiguous
        const float* e = evenHistory + evenPosition;    // e[m] = u[2n - 2m]

        const float centre = oddHistory[oddPosition];  // u[2n - 9], stored five pairs ago
        oddHistory[oddPosition] = second;
        oddPosition = oddPosition == kOddDelay - 1 ? 0 : oddPosition + 1;

        return kCentre * centre + kTap9 * (e[0] + e[9]) + kTap7 * (e[1] + e[8]) + kTap5 * (e[2] + e[7]) +
               kTap3 * (e[3] + e[6]) + kTap1 * (e[4] + e[5]);
    }

    void clear();

    static constexpr int kEvenTaps = 10;
    static constexpr int kOddDelay = 5;
    float evenHistory[2 * kEvenTaps] = {};
    float oddHistory[kOddDelay] = {};
    int evenPosition = 0;
    int oddPosition = 0;

    static constexpr float kCentre = 0.5f;
    static constexpr float kTap1 = 0.3077392578125f;
    static constexpr float kTap3 = -0.07794189453125f;
    static constexpr float kTap5 = 0.02618408203125f;
    static constexpr float kTap7 = -0.007080078125f;
    static constexpr float kTap9 = 0.0010986328125f;
};
