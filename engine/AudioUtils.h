// Static helpers shared by the engine and the editor: the tempo-synced LFO rate table.
#pragma once

class AudioUtils
{
public:
    static constexpr int kNumSyncedRates = 18;

    // On entry *value is the normalised rate parameter (0..1); on return it holds the synced rate
    // in Hz at the given tempo (beats per minute). Returns the note-length text, a constant string.
    // Values outside 0..1 (and NaN) use the nearest end of the table.
    static const char* getSyncedRateAndGetText(float* value, float bpm);
};
