// A control object an editor view owns and keeps in step with one parameter.
#pragma once

#include "platform/audio/AudioUnitTypes.h"

class AUCarbonViewControl {
public:
    virtual ~AUCarbonViewControl() = default;
    // The parameter changed to `value`; called on the view's run loop.
    virtual void ParameterToControl(Float32 value) = 0;
};
