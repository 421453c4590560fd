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
        // Shift the even-indexed history: even[m] = u[2n - 2m].
        for (int m = kEvenTaps - 1; m > 0; --m)
            even[m] = even[m - 1];
        even[0] = first;

        const float y = kCentre * odd[kOddDelay - 1] + kTap9 * (even[0] + even[9]) + kTap7 * (even[1] + even[8]) +
                        kTap5 * (even[2] + even[7]) + kTap3 * (even[3] + even[6]) + kTap1 * (even[4] + even[5]);

        // odd[m] = u[2n - 1 - 2m] for the next pair.
        for (int m = kOddDelay - 1; m > 0; --m)
            odd[m] = odd[m - 1];
        odd[0] = second;
        return y;
    }

    void clear();

    static constexpr int kEvenTaps = 10;
    static constexpr int kOddDelay = 5;
    float even[kEvenTaps] = {};
    float odd[kOddDelay] = {};

    static constexpr float kCentre = 0.5f;
    static constexpr float kTap1 = 0.3077392578125f;
    static constexpr float kTap3 = -0.07794189453125f;
    static constexpr float kTap5 = 0.02618408203125f;
    static constexpr float kTap7 = -0.007080078125f;
    static constexpr float kTap9 = 0.0010986328125f;
};
