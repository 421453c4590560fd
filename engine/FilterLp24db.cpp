// Saturating four-pole ladder low-pass (24 dB per octave), run at four times the sample rate.
#include "engine/FilterLp24db.h"

FilterLp24db::FilterLp24db(float sampleRate) : LadderVariant(sampleRate) {}
