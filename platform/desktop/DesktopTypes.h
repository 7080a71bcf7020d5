// Geometry, opaque references and status codes shared by the desktop half of the platform layer.
// Nothing here includes X11 or GL: the framework and the toolkit see only these types.
#pragma once

#include "platform/cf/CFBase.h"

typedef unsigned long ItemCount;
typedef unsigned long ByteCount;
typedef UInt32 OptionBits;
typedef double EventTime;         // seconds on the monotonic clock
typedef EventTime EventTimeout;   // seconds; kEventDurationForever waits without limit
typedef EventTime EventTimerInterval;
constexpr EventTime kEventDurationForever = -1.0;
constexpr EventTime kEventDurationNoWait = 0.0;
constexpr EventTime kEventDurationSecond = 1.0;
constexpr EventTime kEventDurationMillisecond = 0.001;

// Integer rectangle, window or global pixels, y growing downwards.
struct Rect {
    SInt16 top;
    SInt16 left;
    SInt16 bottom;
    SInt16 right;
};
struct Point {
    SInt16 v;
    SInt16 h;
};

typedef float CGFloat;
struct CGPoint {
    CGFloat x;
    CGFloat y;
};
struct CGSize {
    CGFloat width;
    CGFloat height;
};
struct CGRect {
    CGPoint origin;
    CGSize size;
};
typedef CGPoint HIPoint;
typedef CGSize HISize;
typedef CGRect HIRect;

typedef struct OpaqueWindowPtr* WindowRef;
typedef WindowRef WindowPtr;
typedef struct OpaqueControlRef* ControlRef;
typedef ControlRef HIViewRef;
typedef struct OpaqueGrafPtr* GrafPtr;
typedef GrafPtr CGrafPtr;
typedef CGrafPtr GWorldPtr;
typedef struct OpaqueRgnHandle* RgnHandle;
typedef struct OpaqueEventRef* EventRef;
typedef struct OpaqueEventTargetRef* EventTargetRef;
typedef struct OpaqueEventHandlerRef* EventHandlerRef;
typedef struct OpaqueEventHandlerCallRef* EventHandlerCallRef;
typedef struct OpaqueToolboxObjectClassRef* ToolboxObjectClassRef;
typedef struct OpaqueMouseTrackingRef* MouseTrackingRef;
typedef struct OpaqueEventLoopRef* EventLoopRef;
typedef struct OpaqueEventLoopTimerRef* EventLoopTimerRef;

enum : OSStatus {
    fnfErr = -43,
    eventAlreadyPostedErr = -9860,
    eventClassInvalidErr = -9862,
    eventClassIncorrectErr = -9864,
    eventHandlerAlreadyInstalledErr = -9866,
    eventInternalErr = -9868,
    eventKindIncorrectErr = -9869,
    eventParameterNotFoundErr = -9870,
    eventNotHandledErr = -9874,
    eventLoopTimedOutErr = -9875,
    eventLoopQuitErr = -9876,
    errAECoercionFail = -1700,
    errInvalidWindowRef = -5600,
    errUnknownControl = -30584,
    errControlIsNotEmbedder = -30590,
    errDataNotSupported = -30591,
    errControlDoesntSupportFocus = -30592,
    errCouldntSetFocus = -30585,
    errItemNotControl = -30589,
    errControlNotFound = -30580,
    errInvalidControlRef = -30582,
    errRootAlreadyExists = -30595,
    errNoRootControl = -30596,
    toolboxObjectClassExistsErr = -5070,
    toolboxObjectClassNotFoundErr = -5071,
    // No X display could be opened (DISPLAY unset or the server unreachable).
    kDesktopNoDisplayErr = -5690,
};
