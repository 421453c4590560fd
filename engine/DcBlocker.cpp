// One-pole DC-blocking high-pass: the master high-pass and the blockers around the chorus and delay.
#include "engine/DcBlocker.h"

#include <algorithm>

DcBlocker::DcBlocker(float k, float tinyOffset) : coefficient(1.0f), offset(tinyOffset) { setCoefficient(k); }

void DcBlocker::setCoefficient(float k)
{
    if (!std::isnan(k))
        coefficient = std::clamp(k, 0.0f, 1.0f);
}

void DcBlocker::clear()
{
    previousInput = 0.0f;
    output = 0.0f;
}
