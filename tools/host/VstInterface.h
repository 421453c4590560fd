// The project's VST 2.4 interface declarations, in their own namespace as JUCE also keeps them.
#pragma once

namespace Vst2
{
#include <pluginterfaces/vst2.x/aeffect.h>
#include <pluginterfaces/vst2.x/aeffectx.h>
}  // namespace Vst2
