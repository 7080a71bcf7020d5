// Events: typed event objects, targets with handlers per (class, kind), dispatch with
// propagation, the main-thread event loop (which also runs the CF run loop), timers,
// modifier state and the synchronous drag loop. Main thread only unless a call says otherwise.
#pragma once

#include "platform/desktop/DesktopTypes.h"

typedef OSType EventParamName;
typedef OSType EventParamType;
typedef UInt32 EventAttributes;

struct EventTypeSpec {
    UInt32 eventClass;
    UInt32 eventKind;
};

typedef OSStatus (*EventHandlerProcPtr)(EventHandlerCallRef inHandlerCallRef, EventRef inEvent, void* inUserData);
typedef EventHandlerProcPtr EventHandlerUPP;
inline EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr p) { return p; }
inline void DisposeEventHandlerUPP(EventHandlerUPP) {}

// Event classes.
enum : UInt32 {
    kEventClassMouse = FourCC("mous"),
    kEventClassKeyboard = FourCC("keyb"),
    kEventClassApplication = FourCC("appl"),
    kEventClassWindow = FourCC("wind"),
    kEventClassControl = FourCC("cntl"),
    kEventClassCommand = FourCC("cmds"),
    kEventClassScrollable = FourCC("scrl"),
};

// Mouse kinds.
enum : UInt32 {
    kEventMouseDown = 1,
    kEventMouseUp = 2,
    kEventMouseMoved = 5,
    kEventMouseDragged = 6,
    kEventMouseEntered = 8,
    kEventMouseExited = 9,
    kEventMouseWheelMoved = 10,
};
// Keyboard kinds.
enum : UInt32 {
    kEventRawKeyDown = 1,
    kEventRawKeyRepeat = 2,
    kEventRawKeyUp = 3,
    kEventRawKeyModifiersChanged = 4,
};
// Window kinds.
enum : UInt32 {
    kEventWindowUpdate = 1,
    kEventWindowDrawContent = 2,
    kEventWindowActivated = 5,
    kEventWindowDeactivated = 6,
    kEventWindowShowing = 22,
    kEventWindowHiding = 23,
    kEventWindowShown = 24,
    kEventWindowHidden = 25,
    kEventWindowBoundsChanged = 27,
    kEventWindowClose = 72,
    kEventWindowClosed = 73,
};
// Control kinds.
enum : UInt32 {
    kEventControlHit = 1,
    kEventControlDraw = 4,
    kEventControlSetFocusPart = 7,
    kEventControlClick = 13,
    kEventControlValueFieldChanged = 151,
};
// Scrollable kinds.
enum : UInt32 {
    kEventScrollableGetInfo = 1,
    kEventScrollableScrollTo = 10,
};

// Parameter names.
enum : EventParamName {
    kEventParamDirectObject = FourCC("----"),
    kEventParamMouseLocation = FourCC("mloc"),
    kEventParamWindowMouseLocation = FourCC("wmou"),
    kEventParamMouseButton = FourCC("mbtn"),
    kEventParamClickCount = FourCC("ccnt"),
    kEventParamMouseWheelAxis = FourCC("mwax"),
    kEventParamMouseWheelDelta = FourCC("mwdl"),
    kEventParamKeyModifiers = FourCC("kmod"),
    kEventParamKeyCode = FourCC("kcod"),
    kEventParamKeyMacCharCodes = FourCC("kchr"),
    kEventParamMouseTrackingRef = FourCC("mtrf"),
    kEventParamAttributes = FourCC("attr"),
    kEventParamPreviousBounds = FourCC("prbd"),
    kEventParamCurrentBounds = FourCC("crct"),
    kEventParamControlPart = FourCC("cprt"),
    kEventParamWindowRef = FourCC("wind"),
    kEventParamImageSize = FourCC("imsz"),
    kEventParamViewSize = FourCC("vwsz"),
    kEventParamLineSize = FourCC("lnsz"),
    kEventParamOrigin = FourCC("orgn"),
};
// Parameter types. typeWildCard accepts whatever type was stored.
enum : EventParamType {
    typeWildCard = FourCC("****"),
    typeBoolean = FourCC("bool"),
    typeChar = FourCC("TEXT"),
    typeSInt16 = FourCC("shor"),
    typeUInt16 = FourCC("ushr"),
    typeSInt32 = FourCC("long"),
    typeUInt32 = FourCC("magn"),
    typeFloat = FourCC("sing"),
    typeCFStringRef = FourCC("cfst"),
    typeQDPoint = FourCC("QDpt"),
    typeQDRectangle = FourCC("qdrt"),
    typeHIPoint = FourCC("hipt"),
    typeHISize = FourCC("hisz"),
    typeHIRect = FourCC("hirc"),
    typeWindowRef = FourCC("wind"),
    typeControlRef = FourCC("ctrl"),
    typeMouseTrackingRef = FourCC("mtrf"),
    typeMouseButton = FourCC("mbtn"),
    typeMouseWheelAxis = FourCC("mwax"),
    typeControlPartCode = FourCC("cprt"),
    typeEventTargetRef = FourCC("etrg"),
};

typedef UInt16 EventMouseButton;
enum : EventMouseButton {
    kEventMouseButtonPrimary = 1,
    kEventMouseButtonSecondary = 2,
    kEventMouseButtonTertiary = 3,
};
typedef UInt16 EventMouseWheelAxis;
enum : EventMouseWheelAxis {
    kEventMouseWheelAxisX = 0,
    kEventMouseWheelAxisY = 1,
};

// Key modifier bits (GetCurrentKeyModifiers, kEventParamKeyModifiers). X11: Super, Shift,
// Lock, Alt (Mod1) and Control map onto these in that order.
enum : UInt32 {
    cmdKey = 1 << 8,
    shiftKey = 1 << 9,
    alphaLock = 1 << 10,
    optionKey = 1 << 11,
    controlKey = 1 << 12,
};

enum : EventAttributes {
    kEventAttributeNone = 0,
    kEventAttributeUserEvent = 1,
};

// Window bounds-changed attributes.
enum : UInt32 {
    kWindowBoundsChangeUserDrag = 1 << 0,
    kWindowBoundsChangeUserResize = 1 << 1,
    kWindowBoundsChangeSizeChanged = 1 << 2,
    kWindowBoundsChangeOriginChanged = 1 << 3,
};

// Event objects (reference counted; any thread may create and release one, dispatch is main-thread).
OSStatus CreateEvent(CFAllocatorRef alloc, UInt32 inClassID, UInt32 kind, EventTime when, EventAttributes flags,
                     EventRef* outEvent);
EventRef RetainEvent(EventRef e);
void ReleaseEvent(EventRef e);
UInt32 GetEventClass(EventRef e);
UInt32 GetEventKind(EventRef e);
EventTime GetEventTime(EventRef e);
EventTime GetCurrentEventTime();
OSStatus SetEventParameter(EventRef e, EventParamName name, EventParamType type, ByteCount size, const void* data);
// eventParameterNotFoundErr when absent; errAECoercionFail when the stored type is neither
// the desired one nor convertible (HIPoint <-> QDPoint, SInt32 <-> UInt32, SInt16 <-> UInt16);
// paramErr when the buffer is smaller than the value (outActualSize still tells the size).
OSStatus GetEventParameter(EventRef e, EventParamName name, EventParamType desiredType, EventParamType* outActualType,
                           ByteCount bufferSize, ByteCount* outActualSize, void* outData);

// Targets and handlers. Handlers of one target run most recently installed first; a handler
// returning eventNotHandledErr passes the event on to the next one, then to the parent target
// (control -> enclosing control -> window -> application).
EventTargetRef GetApplicationEventTarget();
OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, ItemCount numTypes,
                             const EventTypeSpec* list, void* userData, EventHandlerRef* outRef);
OSStatus AddEventTypesToHandler(EventHandlerRef handler, ItemCount numTypes, const EventTypeSpec* list);
OSStatus RemoveEventTypesFromHandler(EventHandlerRef handler, ItemCount numTypes, const EventTypeSpec* list);
OSStatus RemoveEventHandler(EventHandlerRef handler);
// Runs the handlers after the calling one for the current event; their result is returned.
OSStatus CallNextEventHandler(EventHandlerCallRef callRef, EventRef e);

typedef OptionBits EventTargetOptions;
enum : EventTargetOptions {
    kEventTargetDontPropagate = 1 << 0,
};
OSStatus SendEventToEventTarget(EventRef e, EventTargetRef target);
OSStatus SendEventToEventTargetWithOptions(EventRef e, EventTargetRef target, EventTargetOptions options);

// The main-thread event loop. Every pass delivers pending X input as events, fires due timers
// and runs the CF run loop of the thread once (CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, false)).
void RunApplicationEventLoop();  // until QuitApplicationEventLoop
void QuitApplicationEventLoop();
// Runs the loop for up to `seconds` or until quit; eventLoopTimedOutErr when the time ran out,
// eventLoopQuitErr when QuitApplicationEventLoop ended it.
OSStatus RunCurrentEventLoop(EventTimeout seconds);

// Timers, fired by the event loop of the main thread.
typedef void (*EventLoopTimerProcPtr)(EventLoopTimerRef timer, void* userData);
typedef EventLoopTimerProcPtr EventLoopTimerUPP;
inline EventLoopTimerUPP NewEventLoopTimerUPP(EventLoopTimerProcPtr p) { return p; }
inline void DisposeEventLoopTimerUPP(EventLoopTimerUPP) {}
EventLoopRef GetMainEventLoop();
EventLoopRef GetCurrentEventLoop();
// Interval 0: fires once.
OSStatus InstallEventLoopTimer(EventLoopRef loop, EventTimerInterval fireDelay, EventTimerInterval interval,
                               EventLoopTimerUPP proc, void* userData, EventLoopTimerRef* outTimer);
OSStatus RemoveEventLoopTimer(EventLoopTimerRef timer);
OSStatus SetEventLoopTimerNextFireTime(EventLoopTimerRef timer, EventTimerInterval nextFire);

// Modifier keys and buttons as last reported by the X server.
UInt32 GetCurrentKeyModifiers();
UInt32 GetCurrentEventButtonState();  // bit 0: primary button down

// Drag loop: waits for the next pointer motion, modifier change or button change and reports
// it. `port` (GrafPtr)-1 gives global coordinates, null the current port's window, else the
// given window port's local coordinates. Other input that arrives meanwhile is kept and
// delivered later by the event loop; the CF run loop keeps running while waiting.
typedef UInt16 MouseTrackingResult;
enum : MouseTrackingResult {
    kMouseTrackingMouseDown = 1,
    kMouseTrackingMouseUp = 2,
    kMouseTrackingMouseExited = 3,
    kMouseTrackingMouseEntered = 4,
    kMouseTrackingMouseDragged = 5,
    kMouseTrackingKeyModifiersChanged = 6,
    kMouseTrackingUserCancelled = 7,
    kMouseTrackingTimedOut = 8,
    kMouseTrackingMouseMoved = 9,
};
inline const GrafPtr kTrackMouseLocationGlobal = reinterpret_cast<GrafPtr>(intptr_t(-1));
OSStatus TrackMouseLocation(GrafPtr port, Point* outPt, MouseTrackingResult* outResult);
// As above with a timeout (kMouseTrackingTimedOut) and the modifiers of the reported moment.
OSStatus TrackMouseLocationWithOptions(GrafPtr port, OptionBits options, EventTimeout timeout, Point* outPt,
                                       UInt32* outModifiers, MouseTrackingResult* outResult);
