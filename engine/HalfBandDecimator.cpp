// Nineteen-tap half-band FIR that halves the sample rate: one output per pair of input samples.
#include "engine/HalfBandDecimator.h"

void HalfBandDecimator::clear()
{
    for (float& e : evenHistory)
        e = 0.0f;
    for (float& o : oddHistory)
        o = 0.0f;
}
