#include "framework/ParameterMapEvent.h"

void ParameterMapEvent::SetScheduledEvent(const AudioUnitParameterEvent& event, UInt32 sliceOffset, UInt32 sliceFrames)
{
    eventType = event.eventType;
    sliceDurationFrames = sliceFrames;
    if (event.eventType == kParameterEvent_Ramped) {
        bufferOffset = event.eventValues.ramp.startBufferOffset - SInt32(sliceOffset);
        durationInFrames = event.eventValues.ramp.durationInFrames;
        value1 = event.eventValues.ramp.startValue;
        value2 = event.eventValues.ramp.endValue;
    } else {
        bufferOffset = 0;
        durationInFrames = sliceFrames;
        value1 = value2 = event.eventValues.immediate.value;
    }
}
