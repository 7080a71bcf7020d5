// The record an element keeps for each parameter: its current value and, while a ramp is
// scheduled, where the ramp stands in the current slice.
#pragma once

#include <atomic>

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

    // The current value is set by control threads and read by the render thread.
    void SetValue(AudioUnitParameterValue v)
    {
        std::atomic_ref<UInt32>(eventType).store(kParameterEvent_Immediate, std::memory_order_relaxed);
        std::atomic_ref<AudioUnitParameterValue>(value2).store(v, std::memory_order_relaxed);
        std::atomic_ref<AudioUnitParameterValue>(value1).store(v, std::memory_order_relaxed);
    }
    AudioUnitParameterValue Value() const
    {
        return std::atomic_ref<AudioUnitParameterValue>(const_cast<AudioUnitParameterValue&>(value1))
            .load(std::memory_order_relaxed);
    }
    void SetScheduledEvent(const AudioUnitParameterEvent& event, UInt32 sliceOffset, UInt32 sliceFrames);
};
