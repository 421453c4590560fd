// Ladder high-pass (12 dB per octave) from the input and the first two stages, run at four times the sample rate.
#include "engine/FilterHp12db.h"

FilterHp12db::FilterHp12db(float sampleRate) : LadderVariant(sampleRate) {}
