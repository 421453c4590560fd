// The voice's free attack/decay envelope: an Adsr with sustain 0 and a fixed release, plus its routing settings.
#include "engine/FreeEnvelope.h"

FreeEnvelope::FreeEnvelope(float sampleRate) : envelope(sampleRate)
{
    // No release parameter exists for this envelope: it releases as the slowest release setting does.
    envelope.sustain = 0.0f;
    envelope.setRelease(1.0f);
}
