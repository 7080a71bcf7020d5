// Top-level windows on Xlib, their drawing ports and simple rectangular regions.
// Main thread, except the geometry getters (GetWindowBounds, GetWindowPortBounds,
// GetWindowPort, GetPortBounds) which any thread may call while the window lives.
#pragma once

#include "platform/cf/CFString.h"
#include "platform/desktop/DesktopTypes.h"

typedef UInt32 WindowClass;
enum : WindowClass {
    kAlertWindowClass = 1,
    kMovableAlertWindowClass = 2,
    kModalWindowClass = 3,
    kMovableModalWindowClass = 4,
    kFloatingWindowClass = 5,
    kDocumentWindowClass = 6,
    kPlainWindowClass = 13,
};

typedef UInt32 WindowAttributes;
enum : WindowAttributes {
    kWindowNoAttributes = 0,
    kWindowCloseBoxAttribute = 1 << 0,
    kWindowResizableAttribute = 1 << 4,
    kWindowCompositingAttribute = 1 << 19,  // controls are views: bounds relative to the parent view
    kWindowStandardHandlerAttribute = 1 << 25,
    kWindowStandardDocumentAttributes = kWindowCloseBoxAttribute | kWindowResizableAttribute,
};

typedef UInt16 WindowRegionCode;
enum : WindowRegionCode {
    kWindowStructureRgn = 32,
    kWindowContentRgn = 33,
    kWindowGlobalPortRgn = 40,
};

// `bounds`: the content rectangle in global (root window) coordinates.
OSStatus CreateNewWindow(WindowClass windowClass, WindowAttributes attributes, const Rect* bounds, WindowRef* outWindow);
// A window inside another program's X window `parent` (an XID), at its top-left corner. The
// owner of the parent places it; SizeWindow only resizes it. paramErr for a parent that is not there.
OSStatus CreateWindowInParent(unsigned long parent, SInt16 width, SInt16 height, WindowRef* outWindow);
// Sends kEventWindowClosed, disposes every control, then destroys the X window.
void DisposeWindow(WindowRef window);
void ShowWindow(WindowRef window);  // kEventWindowShowing now, kEventWindowShown when mapped
void HideWindow(WindowRef window);  // kEventWindowHiding now, kEventWindowHidden when unmapped
Boolean IsWindowVisible(WindowRef window);
// Resizes the content; sends kEventWindowBoundsChanged with kWindowBoundsChangeSizeChanged.
void SizeWindow(WindowRef window, SInt16 width, SInt16 height, Boolean fUpdate);
void MoveWindow(WindowRef window, SInt16 hGlobal, SInt16 vGlobal, Boolean front);
OSStatus SetWindowBounds(WindowRef window, WindowRegionCode region, const Rect* globalBounds);
// Structure, content and global port regions are the same rectangle: the content in global coordinates.
OSStatus GetWindowBounds(WindowRef window, WindowRegionCode region, Rect* outGlobalBounds);
Rect* GetWindowPortBounds(WindowRef window, Rect* outBounds);  // local: top-left is (0, 0)
OSStatus GetWindowAttributes(WindowRef window, WindowAttributes* outAttributes);
WindowClass GetWindowClass(WindowRef window);
OSStatus SetWindowTitleWithCFString(WindowRef window, CFStringRef title);
OSStatus CopyWindowTitleAsCFString(WindowRef window, CFStringRef* outTitle);
EventTargetRef GetWindowEventTarget(WindowRef window);
void SelectWindow(WindowRef window);  // raise and take the keyboard focus
void SetWRefCon(WindowRef window, void* data);
void* GetWRefCon(WindowRef window);
// The X window id of `window` (an XID; 0 for a null window). For tests and the GL layer.
unsigned long GetWindowXID(WindowRef window);
// Windows currently alive (for tests).
long CountLiveWindows();

// Ports: a window's drawing surface, or an offscreen picture (see ImageImport.h).
CGrafPtr GetWindowPort(WindowRef window);
WindowRef GetWindowFromPort(CGrafPtr port);
Rect* GetPortBounds(CGrafPtr port, Rect* outRect);
void GetPort(GrafPtr* outPort);  // the calling thread's current port
void SetPort(GrafPtr port);
void SetPortWindowPort(WindowRef window);

// Regions: unions of rectangles, used to describe mouse-tracking areas.
RgnHandle NewRgn();
void DisposeRgn(RgnHandle rgn);
void RectRgn(RgnHandle rgn, const Rect* r);  // replaces the region by the rectangle
void SetRectRgn(RgnHandle rgn, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);
void UnionRectWithRgn(RgnHandle rgn, const Rect* r);
void SetEmptyRgn(RgnHandle rgn);
Boolean EmptyRgn(RgnHandle rgn);
Boolean PtInRgn(Point pt, RgnHandle rgn);
Rect* GetRegionBounds(RgnHandle rgn, Rect* outBounds);
void OffsetRgn(RgnHandle rgn, SInt16 dh, SInt16 dv);

// Rectangle helpers.
void SetRect(Rect* r, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);
Boolean PtInRect(Point pt, const Rect* r);
Boolean EmptyRect(const Rect* r);

// Waits until the X server has carried out every request of the window connection so far
// (for screenshots and for tests that look at the server from another connection).
void SyncWindowServer();
