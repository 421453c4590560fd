// The two stereo chorus units of the master chain, each switchable, with DC blockers on their output.
#pragma once

#include "engine/Chorus.h"
#include "engine/DcBlocker.h"

class ChorusSection
{
public:
    static constexpr float kBlockerCoefficient = 0.995f;
    static constexpr float kBlockerOffset = 1.0e-7f;
    static constexpr float kWetGain = 1.4f;

    explicit ChorusSection(float sampleRate);

    // Adds the chorus of the enabled units to each channel; with both off the samples are left
    // exactly as they are and the units stand still, keeping their lines and sweep positions.
    void process(float& left, float& right)
    {
        if (!chorus1On && !chorus2On)
            return;
        const float dryLeft = left;
        const float dryRight = right;
        float wetLeft = 0.0f;
        float wetRight = 0.0f;
        if (chorus1On)
        {
            wetLeft = unit1LeftBlocker.process(unit1Left.process(&dryLeft));
            wetRight = unit1RightBlocker.process(unit1Right.process(&dryRight));
        }
        if (chorus2On)
        {
            // Unit 2 adds to unit 1's blocked output before its own blocker.
            wetLeft = unit2LeftBlocker.process(unit2Left.process(&dryLeft) + wetLeft);
            wetRight = unit2RightBlocker.process(unit2Right.process(&dryRight) + wetRight);
        }
        left += kWetGain * wetLeft;
        right += kWetGain * wetRight;
    }

    // Left and right start at opposite ends of their sweeps, so they move in opposite directions.
    Chorus unit1Left;
    Chorus unit1Right;
    Chorus unit2Left;
    Chorus unit2Right;
    DcBlocker unit1LeftBlocker{kBlockerCoefficient, kBlockerOffset};
    DcBlocker unit1RightBlocker{kBlockerCoefficient, kBlockerOffset};
    DcBlocker unit2LeftBlocker{kBlockerCoefficient, kBlockerOffset};
    DcBlocker unit2RightBlocker{kBlockerCoefficient, kBlockerOffset};
    bool chorus1On = false;
    bool chorus2On = false;
};
