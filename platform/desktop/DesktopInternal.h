// Private to the desktop layer: the X connection and the records behind the opaque references.
#pragma once

#include <X11/Xlib.h>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/desktop/Controls.h"
#include "platform/desktop/Events.h"
#include "platform/desktop/MouseTracking.h"
#include "platform/desktop/Windows.h"

namespace desktop {

// The main thread's connection (windows, controls, input); null without a display.
// XInitThreads runs before the first connection is opened.
Display* MainDisplay();
// A separate connection for the GL contexts, shared by every render thread.
Display* GLDisplay();
void EnsureXThreads();
// X error handler that reports and carries on; the count lets callers notice failures.
unsigned long XErrorCount();
Atom DeleteWindowAtom();

EventTime Now();

struct ClassRecord {
    std::string id;
    EventHandlerUPP handler = nullptr;
    void* userData = nullptr;
    std::vector<EventTypeSpec> events;
    bool registered = true;
};

}  // namespace desktop

struct OpaqueEventHandlerRef {
    EventTargetRef target = nullptr;
    EventHandlerUPP proc = nullptr;
    void* userData = nullptr;
    std::vector<EventTypeSpec> types;
    bool removed = false;
    std::shared_ptr<desktop::ClassRecord> objectClass;  // set for a class's handler on an instance
    OpaqueEventHandlerRef();
    ~OpaqueEventHandlerRef();
    bool Wants(UInt32 cls, UInt32 kind) const;
    // False for a handle whose record is gone, so stale handles fail instead of being read.
    static bool IsLive(const OpaqueEventHandlerRef* h);
};

struct OpaqueEventTargetRef {
    enum Kind { Application, Window, Control } kind = Application;
    WindowRef window = nullptr;
    ControlRef control = nullptr;
    // Front runs first; class handlers stay at the back.
    std::vector<std::shared_ptr<OpaqueEventHandlerRef>> handlers;
    ~OpaqueEventTargetRef();
    EventTargetRef Parent() const;
};

struct OpaqueEventRef {
    std::atomic<int> refs{1};
    UInt32 eventClass = 0;
    UInt32 kind = 0;
    EventTime time = 0;
    struct Param {
        EventParamName name;
        EventParamType type;
        std::vector<UInt8> bytes;
    };
    std::vector<Param> params;
};

struct OpaqueRgnHandle {
    std::vector<Rect> rects;
    bool Contains(int h, int v) const;
};

struct OpaqueGrafPtr {
    enum Kind { WindowPort, OffscreenPicture } kind = WindowPort;
    WindowRef window = nullptr;
    // Offscreen picture.
    OSType pixelFormat = 0;
    Rect bounds{};
    UInt8* baseAddr = nullptr;
    long rowBytes = 0;
};

struct OpaqueMouseTrackingRef {
    int refs = 1;
    WindowRef window = nullptr;
    OpaqueRgnHandle region;
    OpaqueRgnHandle clip;
    bool hasClip = false;
    MouseTrackingRegionID id{};
    void* refCon = nullptr;
    EventTargetRef target = nullptr;
    bool enabled = true;
    bool inside = false;
};

struct OpaqueControlRef {
    WindowRef window = nullptr;
    ControlRef parent = nullptr;
    std::vector<ControlRef> children;  // back is frontmost
    OSType kind = kControlKindUserPane;
    UInt32 features = 0;
    // Frame in the parent's coordinates (which the parent's bounds origin shifts), guarded by the
    // window's geometry lock.
    float fx = 0, fy = 0, fw = 0, fh = 0;
    float originX = 0, originY = 0;
    ::Window xid = 0;
    bool visible = true;
    UInt32 command = 0;
    ControlID id{0, 0};
    SInt32 refCon = 0;
    SInt32 value = 0, minimum = 0, maximum = 0, step = 1;
    std::string title;
    bool autoToggle = false;
    bool pressed = false;
    OpaqueEventTargetRef target;
    std::shared_ptr<desktop::ClassRecord> objectClass;
    bool IsStandardKind() const;
};

struct OpaqueWindowPtr {
    ::Window xid = 0;
    WindowClass windowClass = kDocumentWindowClass;
    WindowAttributes attributes = 0;
    mutable std::mutex geometry;  // global, and every control frame of the window
    Rect global{};                // content, global coordinates
    bool visible = false;
    bool mapped = false;
    std::string title;
    OpaqueEventTargetRef target;
    OpaqueGrafPtr port;
    ControlRef root = nullptr;
    ControlRef focus = nullptr;
    std::vector<MouseTrackingRef> regions;
    void* refCon = nullptr;
    bool needsPaint = false;
    bool wantsFocus = false;  // SelectWindow before the window mapped
    bool disposing = false;
    bool embedded = false;  // a child of another program's window: the host places it
    GC gc = nullptr;
    bool Compositing() const { return (attributes & kWindowCompositingAttribute) != 0; }
};

namespace desktop {

WindowRef WindowForXID(::Window xid);
void ForEachWindow(void (*fn)(WindowRef, void*), void* ctx);

// Window-local position of a control's top-left corner (caller holds the geometry lock).
void ControlWindowOrigin(ControlRef c, float& x, float& y);
void SyncControlX(ControlRef c);
void DisposeControlTree(ControlRef c);
bool ControlAlive(ControlRef c);
void ResizeRootControl(WindowRef w);

// Input translation (EventLoop.cpp).
void HandleXEvent(XEvent& ev);
UInt32 ModifiersFromXState(unsigned int state);
void NoteModifiers(UInt32 modifiers);
void NotePointer(int rootX, int rootY);
void UpdateTrackingRegions(WindowRef w, int localX, int localY, bool pointerInWindow);
void ForgetWindowInput(WindowRef w);
void RemoveTrackingRegionsOf(WindowRef w);

// Event building helpers.
EventRef MakeEvent(UInt32 cls, UInt32 kind);
void SetParam(EventRef e, EventParamName n, EventParamType t, ByteCount size, const void* data);
template <typename T>
void SetParam(EventRef e, EventParamName n, EventParamType t, const T& v)
{
    SetParam(e, n, t, sizeof(T), &v);
}
OSStatus SendAndRelease(EventRef e, EventTargetRef target);

// Standard controls (StandardControls.cpp).
void PaintWindow(WindowRef w);
bool TrackStandardControl(ControlRef c, int globalX, int globalY, UInt32 modifiers);
void InvalidateWindow(WindowRef w);

}  // namespace desktop
