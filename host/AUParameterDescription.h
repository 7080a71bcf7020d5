// One global parameter of a unit as its host calls describe it: the information record, the
// name and, when the unit names them, its value strings.
#pragma once

#include <string>
#include <vector>

#include "platform/audio/AudioUnitCalls.h"
#include "platform/audio/AudioUnitTypes.h"

struct AUParameterDescription {
    AudioUnitParameterID id = 0;
    std::string name;  // UTF-8
    AudioUnitParameterUnit unit = kAudioUnitParameterUnit_Generic;
    float minValue = 0.f, maxValue = 0.f, defaultValue = 0.f;
    UInt32 flags = 0;
    std::vector<std::string> valueStrings;  // names of the values min, min + 1, ...

    float Clamp(float v) const { return v < minValue ? minValue : v > maxValue ? maxValue : v; }

    // Every global parameter of `unit` in its list's order; the first failing call's status.
    static OSStatus ReadAll(AudioUnit unit, std::vector<AUParameterDescription>& out);
};
