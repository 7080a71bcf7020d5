// Mouse-tracking regions: areas of a window that report kEventMouseEntered / kEventMouseExited
// (class kEventClassMouse, parameter kEventParamMouseTrackingRef) to a target as the pointer
// moves in and out. Regions are in window-local coordinates. Main thread only.
#pragma once

#include "platform/desktop/Events.h"
#include "platform/desktop/Windows.h"

typedef OptionBits MouseTrackingOptions;
enum : MouseTrackingOptions {
    kMouseTrackingOptionsLocalClip = 0,
    kMouseTrackingOptionsGlobalClip = 1,
};

struct MouseTrackingRegionID {
    OSType signature;
    SInt32 id;
};

// The region is copied. A new region starts as "outside": the next pointer motion inside it
// sends entered. `clip` (may be null) limits the region.
OSStatus CreateMouseTrackingRegion(WindowRef window, RgnHandle region, RgnHandle clip, MouseTrackingOptions options,
                                   MouseTrackingRegionID id, void* refCon, EventTargetRef target,
                                   MouseTrackingRef* outRef);
OSStatus RetainMouseTrackingRegion(MouseTrackingRef ref);
// The last release removes the region; no exited event is sent for it.
OSStatus ReleaseMouseTrackingRegion(MouseTrackingRef ref);
OSStatus ChangeMouseTrackingRegion(MouseTrackingRef ref, RgnHandle region, RgnHandle clip);
OSStatus GetMouseTrackingRegionID(MouseTrackingRef ref, MouseTrackingRegionID* outID);
OSStatus GetMouseTrackingRegionRefCon(MouseTrackingRef ref, void** outRefCon);
OSStatus SetMouseTrackingRegionEnabled(MouseTrackingRef ref, Boolean enabled);
// Releases every region of the window with this signature.
OSStatus ReleaseWindowMouseTrackingRegions(WindowRef window, OSType signature);
