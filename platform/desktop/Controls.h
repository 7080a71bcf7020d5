// Controls (views) inside windows: user panes with embedding, custom control classes, the
// standard kinds used by dialogs (check box, slider, push button, static text), bounds, values,
// IDs and keyboard focus. Each control is an X input-only child window of its parent's.
//
// Coordinates: in a compositing window a control's bounds are relative to its parent view
// (shifted by the parent's bounds origin); otherwise they are window-local whatever the nesting.
// Main thread only, except GetControlBounds, HIViewGetFrame and HIViewGetBounds.
#pragma once

#include "platform/cf/CFString.h"
#include "platform/desktop/DesktopTypes.h"
#include "platform/desktop/Events.h"
#include "platform/desktop/Windows.h"

typedef SInt16 ControlPartCode;
enum : ControlPartCode {
    kControlNoPart = 0,
    kControlFocusNoPart = 0,
    kControlIndicatorPart = 129,
    kControlButtonPart = 10,
    kControlCheckBoxPart = 11,
    kControlEditTextPart = 5,
    kControlFocusNextPart = -1,
};

struct ControlID {
    OSType signature;
    SInt32 id;
};

struct ControlKind {
    OSType signature;
    OSType kind;
};
enum : OSType {
    kControlKindSignatureDesktop = FourCC("dskt"),
    kControlKindUserPane = FourCC("upan"),
    kControlKindCustom = FourCC("cust"),
    kControlKindCheckBox = FourCC("cbox"),
    kControlKindSlider = FourCC("sldr"),
    kControlKindPushButton = FourCC("push"),
    kControlKindStaticText = FourCC("stxt"),
};

enum : UInt32 {
    kControlSupportsEmbedding = 1 << 1,
    kControlSupportsFocus = 1 << 2,
    kControlGetsFocusOnClick = 1 << 8,
};

// Custom control classes, registered by id string.
typedef UInt32 ControlDefType;
enum : ControlDefType {
    kControlDefProcPtr = 0,
    kControlDefObjectClass = 1,
};
typedef void* ControlDefUPP;
struct ControlDefSpec {
    ControlDefType defType;
    union {
        ControlDefUPP defProc;
        ToolboxObjectClassRef classRef;
    } u;
};
typedef struct OpaqueCollection* Collection;

// toolboxObjectClassExistsErr when `classID` is taken. The handler gets `userData` and runs
// for the listed events on every control of the class, after the handlers installed on the
// control itself. A class that is unregistered while controls of it live stops handling.
OSStatus RegisterToolboxObjectClass(CFStringRef classID, ToolboxObjectClassRef baseClass, ItemCount numEvents,
                                    const EventTypeSpec* eventList, EventHandlerUPP eventHandler, void* userData,
                                    ToolboxObjectClassRef* outClass);
OSStatus UnregisterToolboxObjectClass(ToolboxObjectClassRef objectClass);

// Creation. New controls are embedded in the window's root control and are visible.
OSStatus CreateRootControl(WindowRef window, ControlRef* outControl);
OSStatus GetRootControl(WindowRef window, ControlRef* outControl);
HIViewRef HIViewGetRoot(WindowRef window);
OSStatus CreateUserPaneControl(WindowRef window, const Rect* bounds, UInt32 features, ControlRef* outControl);
OSStatus CreateCustomControl(WindowRef owningWindow, const Rect* bounds, const ControlDefSpec* def,
                             Collection initData, ControlRef* outControl);
OSStatus CreateCheckBoxControl(WindowRef window, const Rect* bounds, CFStringRef title, SInt32 initialValue,
                               Boolean autoToggle, ControlRef* outControl);
typedef void* ControlActionUPP;
typedef UInt16 ControlSliderOrientation;
enum : ControlSliderOrientation {
    kControlSliderPointsDownOrRight = 0,
};
OSStatus CreateSliderControl(WindowRef window, const Rect* bounds, SInt32 value, SInt32 minimum, SInt32 maximum,
                             ControlSliderOrientation orientation, UInt16 numTickMarks, Boolean liveTracking,
                             ControlActionUPP liveTrackingProc, ControlRef* outControl);
OSStatus CreatePushButtonControl(WindowRef window, const Rect* bounds, CFStringRef title, ControlRef* outControl);
struct ControlFontStyleRec;
OSStatus CreateStaticTextControl(WindowRef window, const Rect* bounds, CFStringRef text,
                                 const ControlFontStyleRec* style, ControlRef* outControl);
// Disposes the control and everything embedded in it.
void DisposeControl(ControlRef control);
OSStatus GetControlKind(ControlRef control, ControlKind* outKind);
long CountLiveControls();  // for tests
unsigned long GetControlXID(ControlRef control);

// Hierarchy.
OSStatus EmbedControl(ControlRef control, ControlRef container);  // keeps the window position
OSStatus HIViewAddSubview(HIViewRef parent, HIViewRef child);     // keeps the bounds
OSStatus HIViewRemoveFromSuperview(HIViewRef view);
HIViewRef HIViewGetSuperview(HIViewRef view);
OSStatus GetSuperControl(ControlRef control, ControlRef* outParent);
OSStatus CountSubControls(ControlRef control, UInt16* outCount);
OSStatus GetIndexedSubControl(ControlRef control, UInt16 index, ControlRef* outSub);  // 1-based
WindowRef GetControlOwner(ControlRef control);
EventTargetRef GetControlEventTarget(ControlRef control);
// The deepest visible control at a window-local point, or null.
ControlRef FindControlUnderMouse(Point windowLocal, WindowRef window, ControlPartCode* outPart);

// Geometry.
Rect* GetControlBounds(ControlRef control, Rect* outBounds);
void SetControlBounds(ControlRef control, const Rect* bounds);
void SizeControl(ControlRef control, SInt16 width, SInt16 height);
void MoveControl(ControlRef control, SInt16 h, SInt16 v);
OSStatus HIViewGetFrame(HIViewRef view, HIRect* outFrame);
OSStatus HIViewSetFrame(HIViewRef view, const HIRect* frame);
// Origin = the bounds origin (0, 0 unless scrolled), size = the frame's size.
OSStatus HIViewGetBounds(HIViewRef view, HIRect* outBounds);
OSStatus HIViewSetBoundsOrigin(HIViewRef view, CGFloat x, CGFloat y);
// Marks the view's area for redrawing after its content moved by (dx, dy); `rect` null: all of it.
OSStatus HIViewScrollRect(HIViewRef view, const HIRect* rect, CGFloat dx, CGFloat dy);
OSStatus HIViewSetNeedsDisplay(HIViewRef view, Boolean needsDisplay);

// Visibility.
void ShowControl(ControlRef control);
void HideControl(ControlRef control);
Boolean IsControlVisible(ControlRef control);
OSStatus HIViewSetVisible(HIViewRef view, Boolean visible);

// IDs and reference.
OSStatus SetControlCommandID(ControlRef control, UInt32 commandID);
OSStatus GetControlCommandID(ControlRef control, UInt32* outCommandID);
OSStatus SetControlID(ControlRef control, const ControlID* id);
OSStatus GetControlID(ControlRef control, ControlID* outID);
OSStatus GetControlByID(WindowRef window, const ControlID* id, ControlRef* outControl);  // errControlNotFound
void SetControlReference(ControlRef control, SInt32 data);
SInt32 GetControlReference(ControlRef control);

// Values. Setting clamps to [minimum, maximum]; sliders also snap to their step.
void SetControl32BitValue(ControlRef control, SInt32 value);
SInt32 GetControl32BitValue(ControlRef control);
void SetControl32BitMinimum(ControlRef control, SInt32 minimum);
SInt32 GetControl32BitMinimum(ControlRef control);
void SetControl32BitMaximum(ControlRef control, SInt32 maximum);
SInt32 GetControl32BitMaximum(ControlRef control);
void SetControlValueStep(ControlRef control, SInt32 step);  // 1 by default
SInt32 GetControlValueStep(ControlRef control);
OSStatus SetControlTitleWithCFString(ControlRef control, CFStringRef title);
OSStatus CopyControlTitleAsCFString(ControlRef control, CFStringRef* outTitle);
// Static text content: tag kControlStaticTextCFStringTag with a CFStringRef (size of the pointer).
typedef OSType ResType;
enum : ResType {
    kControlStaticTextCFStringTag = FourCC("cfst"),
    kControlStaticTextTextTag = FourCC("text"),
};
OSStatus SetControlData(ControlRef control, ControlPartCode part, ResType tag, ByteCount size, const void* data);
OSStatus GetControlData(ControlRef control, ControlPartCode part, ResType tag, ByteCount bufferSize, void* outData,
                        ByteCount* outActualSize);

// Keyboard focus: key events go to the focused control, then up the hierarchy. Changing the
// focus sends kEventControlSetFocusPart (part kControlFocusNoPart to the control losing it).
OSStatus SetKeyboardFocus(WindowRef window, ControlRef control, ControlPartCode part);
OSStatus GetKeyboardFocus(WindowRef window, ControlRef* outControl);
OSStatus ClearKeyboardFocus(WindowRef window);

// Installers for the common targets.
inline OSStatus InstallWindowEventHandler(WindowRef w, EventHandlerUPP h, ItemCount n, const EventTypeSpec* l, void* u,
                                          EventHandlerRef* o)
{
    return InstallEventHandler(GetWindowEventTarget(w), h, n, l, u, o);
}
inline OSStatus InstallControlEventHandler(ControlRef c, EventHandlerUPP h, ItemCount n, const EventTypeSpec* l,
                                           void* u, EventHandlerRef* o)
{
    return InstallEventHandler(GetControlEventTarget(c), h, n, l, u, o);
}
inline OSStatus InstallApplicationEventHandler(EventHandlerUPP h, ItemCount n, const EventTypeSpec* l, void* u,
                                               EventHandlerRef* o)
{
    return InstallEventHandler(GetApplicationEventTarget(), h, n, l, u, o);
}
