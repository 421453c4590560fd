// Ladder band-pass from a mix of the stage outputs, run at four times the sample rate.
#include "engine/FilterBp24db.h"

FilterBp24db::FilterBp24db(float sampleRate) : LadderVariant(sampleRate) {}
