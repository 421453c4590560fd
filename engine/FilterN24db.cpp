// Ladder notch from a mix of the input and the stage outputs, run at four times the sample rate.
#include "engine/FilterN24db.h"

FilterN24db::FilterN24db(float sampleRate) : LadderVariant(sampleRate) {}
