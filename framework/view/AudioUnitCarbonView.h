// The calls a host makes on an editor view component, and their selectors.
#pragma once

#include "platform/audio/AudioUnitTypes.h"
#include "platform/audio/Components.h"
#include "platform/desktop/DesktopTypes.h"

typedef ComponentInstance AudioUnitCarbonView;

struct Float32Point {
    Float32 x;
    Float32 y;
};

enum : SInt16 {
    kAudioUnitCarbonViewCreateSelect = 0x301,
    kAudioUnitCarbonViewSetEventListenerSelect = 0x302,
};

typedef UInt32 AudioUnitCarbonViewEventID;
typedef void (*AudioUnitCarbonViewEventListener)(void* inUserData, AudioUnitCarbonView inView,
                                                 const AudioUnitParameter* inParameter,
                                                 AudioUnitCarbonViewEventID inEvent, const void* inEventParam);

// Builds the editor for `unit` as a pane inside `parent` of `window`, at `location` (window
// pixels) with the suggested `size`; the pane comes back in `outControl`.
inline OSStatus AudioUnitCarbonViewCreate(AudioUnitCarbonView view, AudioUnit unit, WindowRef window,
                                          ControlRef parent, const Float32Point* location, const Float32Point* size,
                                          ControlRef* outControl)
{
    return OSStatus(
        CallComponent(view, kAudioUnitCarbonViewCreateSelect, unit, window, parent, location, size, outControl));
}

inline OSStatus AudioUnitCarbonViewSetEventListener(AudioUnitCarbonView view, AudioUnitCarbonViewEventListener listener,
                                                    void* userData)
{
    return OSStatus(CallComponent(view, kAudioUnitCarbonViewSetEventListenerSelect, listener, userData));
}
