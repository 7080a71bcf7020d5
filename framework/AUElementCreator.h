// Makes the elements of a scope; the unit implements it.
#pragma once

#include "platform/audio/AudioUnitTypes.h"

class AUElement;

class AUElementCreator {
public:
    virtual ~AUElementCreator() = default;
    virtual AUElement* CreateElement(AudioUnitScope scope, AudioUnitElement element) = 0;
};
