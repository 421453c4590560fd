// Ladder low-pass tapped after three stages (18 dB per octave), run at four times the sample rate.
#include "engine/FilterLp18db.h"

FilterLp18db::FilterLp18db(float sampleRate) : LadderVariant(sampleRate) {}
