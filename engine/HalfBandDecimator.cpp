// Nineteen-tap half-band FIR that halves the sample rate: one output per pair of input samples.
#include "engine/HalfBandDecimator.h"

void HalfBandDecimator::clear()
{
    for (float& e : even)
        e = 0.0f;
    for (float& o : odd)
        o = 0.0f;
}
