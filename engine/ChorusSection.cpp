// The two stereo chorus units of the master chain, each switchable, with DC blockers on their output.
#include "engine/ChorusSection.h"

namespace
{
constexpr float kUnit1Rate = 0.5f;  // Hz
constexpr float kUnit2Rate = 0.83f;
}  // namespace

ChorusSection::ChorusSection(float sampleRate)
    : unit1Left(sampleRate, 1.0f, kUnit1Rate)
    , unit1Right(sampleRate, 0.0f, kUnit1Rate)
    , unit2Left(sampleRate, 0.0f, kUnit2Rate)
    , unit2Right(sampleRate, 1.0f, kUnit2Rate)
{
}
