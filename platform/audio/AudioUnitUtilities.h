// Parameter services: setting a parameter with notification, listeners delivered on a run loop,
// value <-> position mapping and value formatting.
#pragma once

#include "platform/audio/AudioUnitTypes.h"
#include "platform/cf/CFRunLoop.h"

typedef struct AUListenerBase* AUParameterListenerRef;
typedef AUParameterListenerRef AUEventListenerRef;

typedef void (*AUParameterListenerProc)(void* inRefCon, void* inObject, const AudioUnitParameter* inParameter,
                                        AudioUnitParameterValue inValue);

typedef UInt32 AudioUnitEventType;
enum : AudioUnitEventType {
    kAudioUnitEvent_ParameterValueChange = 0,
    kAudioUnitEvent_BeginParameterChangeGesture = 1,
    kAudioUnitEvent_EndParameterChangeGesture = 2,
    kAudioUnitEvent_PropertyChange = 3,
};

struct AudioUnitProperty {
    AudioUnit mAudioUnit;
    AudioUnitPropertyID mPropertyID;
    AudioUnitScope mScope;
    AudioUnitElement mElement;
};

struct AudioUnitEvent {
    AudioUnitEventType mEventType;
    union {
        AudioUnitParameter mParameter;
        AudioUnitProperty mProperty;
    } mArgument;
};

typedef void (*AUEventListenerProc)(void* inCallbackRefCon, void* inObject, const AudioUnitEvent* inEvent,
                                    UInt64 inEventHostTime, AudioUnitParameterValue inParameterValue);

// Sets the parameter on its unit, then queues a notification for every listener of that
// parameter other than inSendingListener. Lock-free and allocation-free: safe on the audio thread.
OSStatus AUParameterSet(AUParameterListenerRef inSendingListener, void* inSendingObject,
                        const AudioUnitParameter* inParameter, AudioUnitParameterValue inValue,
                        UInt32 inBufferOffsetInFrames);

// Tells listeners of a change that was made by other means (for example by automation).
OSStatus AUParameterListenerNotify(AUParameterListenerRef inSendingListener, void* inSendingObject,
                                   const AudioUnitParameter* inParameter);

// The listener's procedure runs on inRunLoop (when that loop runs), at most once per
// inNotificationInterval seconds for each parameter, with the latest value.
OSStatus AUListenerCreate(AUParameterListenerProc inProc, void* inRefCon, CFRunLoopRef inRunLoop,
                          CFStringRef inRunLoopMode, Float32 inNotificationInterval,
                          AUParameterListenerRef* outListener);
OSStatus AUListenerDispose(AUParameterListenerRef inListener);
OSStatus AUListenerAddParameter(AUParameterListenerRef inListener, void* inObject,
                                const AudioUnitParameter* inParameter);
OSStatus AUListenerRemoveParameter(AUParameterListenerRef inListener, void* inObject,
                                   const AudioUnitParameter* inParameter);

OSStatus AUEventListenerCreate(AUEventListenerProc inProc, void* inCallbackRefCon, CFRunLoopRef inRunLoop,
                               CFStringRef inRunLoopMode, Float32 inNotificationInterval,
                               Float32 inValueChangeGranularity, AUEventListenerRef* outListener);
OSStatus AUEventListenerAddEventType(AUEventListenerRef inListener, void* inObject, const AudioUnitEvent* inEvent);
OSStatus AUEventListenerRemoveEventType(AUEventListenerRef inListener, void* inObject, const AudioUnitEvent* inEvent);

// Positions in [0, 1] from the parameter's information (fetched from its unit); monotonic and
// exact inverses of each other.
Float32 AUParameterValueToLinear(Float32 inParameterValue, const AudioUnitParameter* inParameter);
Float32 AUParameterValueFromLinear(Float32 inLinearValue, const AudioUnitParameter* inParameter);
// The value as text with the given number of significant digits; returns outText.
char* AUParameterFormatValue(Float64 inParameterValue, const AudioUnitParameter* inParameter, char* outText,
                             UInt32 inDigits);
