// The record an element keeps for each parameter: its current value and, while a ramp is
// scheduled, where the ramp stands in the current slice.
#pragma once

#include "platform/audio/AudioUnitTypes.h"

struct ParameterMapEvent {
    AUParameterEventType eventType = kParameterEvent_Immediate;
    SInt32 bufferOffset = 0;
    UInt32 durationInFrames = 0;
    AudioUnitParameterValue value1 = 0.f;  // the current value (a ramp's start value)
    AudioUnitParameterValue value2 = 0.f;  // a ramp's end value, else value1
    UInt32 sliceDurationFrames = 0;

    ParameterMapEvent() = default;
    explicit ParameterMapEvent(AudioUnitParameterValue v) : value1(v), value2(v) {}

    void SetValue(AudioUnitParameterValue v)
    {
        eventType = kParameterEvent_Immediate;
        value1 = value2 = v;
    }
    void SetScheduledEvent(const AudioUnitParameterEvent& event, UInt32 sliceOffset, UInt32 sliceFrames);
};
