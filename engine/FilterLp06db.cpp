// Ladder low-pass tapped after the first stage (6 dB per octave), run at four times the sample rate.
#include "engine/FilterLp06db.h"

FilterLp06db::FilterLp06db(float sampleRate) : LadderVariant(sampleRate) {}
