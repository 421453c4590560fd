// Ladder low-pass tapped after two stages (12 dB per octave), run at four times the sample rate.
#include "engine/FilterLp12db.h"

FilterLp12db::FilterLp12db(float sampleRate) : LadderVariant(sampleRate) {}
