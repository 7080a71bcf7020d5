// Top-level windows: one X window each, with a root control covering the content.
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/desktop/DesktopInternal.h"

namespace desktop {
namespace {

std::map<::Window, WindowRef>& Registry()
{
    static std::map<::Window, WindowRef> m;
    return m;
}

unsigned long BackgroundPixel(Display* d)
{
    XColor c{};
    c.red = c.green = c.blue = 0xdcdc;
    c.flags = DoRed | DoGreen | DoBlue;
    if (XAllocColor(d, DefaultColormap(d, DefaultScreen(d)), &c)) return c.pixel;
    return WhitePixel(d, DefaultScreen(d));
}

void SendBoundsChanged(WindowRef w, const Rect& previous, const Rect& current, UInt32 attributes)
{
    EventRef e = MakeEvent(kEventClassWindow, kEventWindowBoundsChanged);
    SetParam(e, kEventParamDirectObject, typeWindowRef, w);
    SetParam(e, kEventParamAttributes, typeUInt32, attributes);
    SetParam(e, kEventParamPreviousBounds, typeQDRectangle, previous);
    SetParam(e, kEventParamCurrentBounds, typeQDRectangle, current);
    SendAndRelease(e, &w->target);
}

void SendWindowEvent(WindowRef w, UInt32 kind)
{
    EventRef e = MakeEvent(kEventClassWindow, kind);
    SetParam(e, kEventParamDirectObject, typeWindowRef, w);
    SendAndRelease(e, &w->target);
}

}  // namespace

WindowRef WindowForXID(::Window xid)
{
    auto it = Registry().find(xid);
    return it == Registry().end() ? nullptr : it->second;
}

void ForEachWindow(void (*fn)(WindowRef, void*), void* ctx)
{
    std::vector<WindowRef> all;
    for (auto& kv : Registry()) all.push_back(kv.second);
    for (WindowRef w : all)
        if (WindowForXID(w->xid) == w) fn(w, ctx);
}

// Applies a new global content rectangle to the model (and the X window unless it came from X).
void ApplyWindowBounds(WindowRef w, const Rect& r, bool fromServer, UInt32 extraAttributes)
{
    Rect previous;
    {
        std::lock_guard<std::mutex> g(w->geometry);
        previous = w->global;
        w->global = r;
    }
    bool sized = (previous.right - previous.left) != (r.right - r.left) ||
                 (previous.bottom - previous.top) != (r.bottom - r.top);
    bool moved = previous.left != r.left || previous.top != r.top;
    if (!sized && !moved) return;
    if (sized) ResizeRootControl(w);
    if (!fromServer) {
        Display* d = MainDisplay();
        const unsigned width = unsigned(std::max(1, r.right - r.left)), height = unsigned(std::max(1, r.bottom - r.top));
        if (w->embedded)
            XResizeWindow(d, w->xid, width, height);
        else
            XMoveResizeWindow(d, w->xid, r.left, r.top, width, height);
        XFlush(d);
    }
    UInt32 attrs = extraAttributes;
    if (sized) attrs |= kWindowBoundsChangeSizeChanged;
    if (moved) attrs |= kWindowBoundsChangeOriginChanged;
    SendBoundsChanged(w, previous, r, attrs);
    if (sized) InvalidateWindow(w);
}

void NoteWindowMapped(WindowRef w, bool mapped)
{
    if (w->mapped == mapped) return;
    w->mapped = mapped;
    if (mapped && w->wantsFocus) {
        w->wantsFocus = false;
        XSetInputFocus(MainDisplay(), w->xid, RevertToParent, CurrentTime);
    }
    SendWindowEvent(w, mapped ? kEventWindowShown : kEventWindowHidden);
}

// The model of a new X window: registered, with its root control.
WindowRef Adopt(Display* d, ::Window xid, WindowClass windowClass, WindowAttributes attributes, const Rect& global)
{
    WindowRef w = new OpaqueWindowPtr;
    w->xid = xid;
    w->windowClass = windowClass;
    w->attributes = attributes;
    w->global = global;
    w->target.kind = OpaqueEventTargetRef::Window;
    w->target.window = w;
    w->port.kind = OpaqueGrafPtr::WindowPort;
    w->port.window = w;
    w->gc = XCreateGC(d, xid, 0, nullptr);
    Registry()[xid] = w;
    ControlRef root = nullptr;
    CreateRootControl(w, &root);
    XFlush(d);
    return w;
}

}  // namespace desktop

using namespace desktop;

OSStatus CreateNewWindow(WindowClass windowClass, WindowAttributes attributes, const Rect* bounds, WindowRef* outWindow)
{
    if (!bounds || !outWindow || EmptyRect(bounds)) return paramErr;
    Display* d = MainDisplay();
    if (!d) return kDesktopNoDisplayErr;
    int screen = DefaultScreen(d);
    XSetWindowAttributes a{};
    a.background_pixel = BackgroundPixel(d);
    a.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                   EnterWindowMask | LeaveWindowMask | KeyPressMask | KeyReleaseMask | FocusChangeMask;
    a.bit_gravity = NorthWestGravity;
    unsigned width = unsigned(bounds->right - bounds->left), height = unsigned(bounds->bottom - bounds->top);
    ::Window xid = XCreateWindow(d, RootWindow(d, screen), bounds->left, bounds->top, width, height, 0,
                                 CopyFromParent, InputOutput, CopyFromParent,
                                 CWBackPixel | CWEventMask | CWBitGravity, &a);
    if (!xid) return memFullErr;

    Atom del = DeleteWindowAtom();
    XSetWMProtocols(d, xid, &del, 1);
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = USPosition | USSize | PPosition | PSize;
    hints->x = bounds->left;
    hints->y = bounds->top;
    hints->width = int(width);
    hints->height = int(height);
    if (!(attributes & kWindowResizableAttribute)) {
        hints->flags |= PMinSize | PMaxSize;
        hints->min_width = hints->max_width = int(width);
        hints->min_height = hints->max_height = int(height);
    }
    XSetWMNormalHints(d, xid, hints);
    XFree(hints);
    if (windowClass != kDocumentWindowClass && windowClass != kPlainWindowClass) {
        Atom type = XInternAtom(d, "_NET_WM_WINDOW_TYPE", False);
        Atom dialog = XInternAtom(d, "_NET_WM_WINDOW_TYPE_DIALOG", False);
        XChangeProperty(d, xid, type, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&dialog), 1);
    }

    *outWindow = Adopt(d, xid, windowClass, attributes, *bounds);
    return noErr;
}

OSStatus CreateWindowInParent(unsigned long parent, SInt16 width, SInt16 height, WindowRef* outWindow)
{
    if (!parent || !outWindow || width <= 0 || height <= 0) return paramErr;
    Display* d = MainDisplay();
    if (!d) return kDesktopNoDisplayErr;
    const unsigned long errors = XErrorCount();
    int x = 0, y = 0;
    ::Window child = 0;
    const int screen = DefaultScreen(d);
    if (!XTranslateCoordinates(d, parent, RootWindow(d, screen), 0, 0, &x, &y, &child)) return paramErr;
    XSetWindowAttributes a{};
    a.background_pixel = BackgroundPixel(d);
    a.border_pixel = 0;
    a.colormap = DefaultColormap(d, screen);  // the parent's visual may not be the default one
    a.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                   EnterWindowMask | LeaveWindowMask | KeyPressMask | KeyReleaseMask | FocusChangeMask;
    a.bit_gravity = NorthWestGravity;
    ::Window xid = XCreateWindow(d, ::Window(parent), 0, 0, unsigned(width), unsigned(height), 0,
                                 DefaultDepth(d, screen), InputOutput, DefaultVisual(d, screen),
                                 CWBackPixel | CWBorderPixel | CWColormap | CWEventMask | CWBitGravity, &a);
    XSync(d, False);
    if (!xid || XErrorCount() != errors) {
        if (xid) XDestroyWindow(d, xid);
        XSync(d, False);
        return paramErr;
    }
    const Rect global{SInt16(y), SInt16(x), SInt16(y + height), SInt16(x + width)};
    WindowRef w = Adopt(d, xid, kPlainWindowClass, kWindowNoAttributes, global);
    w->embedded = true;
    *outWindow = w;
    return noErr;
}

void DisposeWindow(WindowRef w)
{
    if (!w || w->disposing) return;
    w->disposing = true;
    SendWindowEvent(w, kEventWindowClosed);
    RemoveTrackingRegionsOf(w);
    if (w->root) DisposeControlTree(w->root);
    w->root = nullptr;
    ForgetWindowInput(w);
    Registry().erase(w->xid);
    Display* d = MainDisplay();
    if (w->gc) XFreeGC(d, w->gc);
    XDestroyWindow(d, w->xid);
    XFlush(d);
    delete w;
}

long CountLiveWindows() { return long(Registry().size()); }

void ShowWindow(WindowRef w)
{
    if (!w || w->visible) return;
    SendWindowEvent(w, kEventWindowShowing);
    w->visible = true;
    XMapRaised(MainDisplay(), w->xid);
    XFlush(MainDisplay());
}

void HideWindow(WindowRef w)
{
    if (!w || !w->visible) return;
    SendWindowEvent(w, kEventWindowHiding);
    w->visible = false;
    XUnmapWindow(MainDisplay(), w->xid);
    XFlush(MainDisplay());
}

Boolean IsWindowVisible(WindowRef w) { return w && w->visible; }

void SizeWindow(WindowRef w, SInt16 width, SInt16 height, Boolean)
{
    if (!w || width <= 0 || height <= 0) return;
    Rect r;
    GetWindowBounds(w, kWindowContentRgn, &r);
    r.right = SInt16(r.left + width);
    r.bottom = SInt16(r.top + height);
    ApplyWindowBounds(w, r, false, 0);
}

void MoveWindow(WindowRef w, SInt16 h, SInt16 v, Boolean front)
{
    if (!w) return;
    Rect r;
    GetWindowBounds(w, kWindowContentRgn, &r);
    Rect n{v, h, SInt16(v + (r.bottom - r.top)), SInt16(h + (r.right - r.left))};
    ApplyWindowBounds(w, n, false, 0);
    if (front) XRaiseWindow(MainDisplay(), w->xid);
}

OSStatus SetWindowBounds(WindowRef w, WindowRegionCode, const Rect* r)
{
    if (!w) return errInvalidWindowRef;
    if (!r || EmptyRect(r)) return paramErr;
    ApplyWindowBounds(w, *r, false, 0);
    return noErr;
}

OSStatus GetWindowBounds(WindowRef w, WindowRegionCode region, Rect* out)
{
    if (!w) return errInvalidWindowRef;
    if (!out) return paramErr;
    if (region != kWindowStructureRgn && region != kWindowContentRgn && region != kWindowGlobalPortRgn)
        return paramErr;
    std::lock_guard<std::mutex> g(w->geometry);
    *out = w->global;
    return noErr;
}

Rect* GetWindowPortBounds(WindowRef w, Rect* out)
{
    if (!out) return out;
    *out = Rect{0, 0, 0, 0};
    if (!w) return out;
    std::lock_guard<std::mutex> g(w->geometry);
    out->bottom = SInt16(w->global.bottom - w->global.top);
    out->right = SInt16(w->global.right - w->global.left);
    return out;
}

OSStatus GetWindowAttributes(WindowRef w, WindowAttributes* out)
{
    if (!w) return errInvalidWindowRef;
    if (!out) return paramErr;
    *out = w->attributes;
    return noErr;
}

WindowClass GetWindowClass(WindowRef w) { return w ? w->windowClass : 0; }

OSStatus SetWindowTitleWithCFString(WindowRef w, CFStringRef title)
{
    if (!w) return errInvalidWindowRef;
    if (!title) return paramErr;
    std::string s = CFStringToUTF8(title);
    w->title = s;
    Display* d = MainDisplay();
    XStoreName(d, w->xid, s.c_str());
    XChangeProperty(d, w->xid, XInternAtom(d, "_NET_WM_NAME", False), XInternAtom(d, "UTF8_STRING", False), 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(s.data()), int(s.size()));
    XFlush(d);
    return noErr;
}

OSStatus CopyWindowTitleAsCFString(WindowRef w, CFStringRef* out)
{
    if (!w) return errInvalidWindowRef;
    if (!out) return paramErr;
    *out = CFStringCreateWithCString(nullptr, w->title.c_str(), kCFStringEncodingUTF8);
    return *out ? noErr : memFullErr;
}

EventTargetRef GetWindowEventTarget(WindowRef w) { return w ? &w->target : nullptr; }

void SelectWindow(WindowRef w)
{
    if (!w) return;
    Display* d = MainDisplay();
    XRaiseWindow(d, w->xid);
    if (w->mapped)
        XSetInputFocus(d, w->xid, RevertToParent, CurrentTime);
    else
        w->wantsFocus = w->visible;
    XFlush(d);
}

void SetWRefCon(WindowRef w, void* data)
{
    if (w) w->refCon = data;
}
void* GetWRefCon(WindowRef w) { return w ? w->refCon : nullptr; }

unsigned long GetWindowXID(WindowRef w) { return w ? w->xid : 0; }

CGrafPtr GetWindowPort(WindowRef w) { return w ? &w->port : nullptr; }

WindowRef GetWindowFromPort(CGrafPtr port)
{
    return port && port->kind == OpaqueGrafPtr::WindowPort ? port->window : nullptr;
}

Rect* GetPortBounds(CGrafPtr port, Rect* out)
{
    if (!out) return out;
    *out = Rect{0, 0, 0, 0};
    if (!port) return out;
    if (port->kind == OpaqueGrafPtr::WindowPort) return GetWindowPortBounds(port->window, out);
    *out = port->bounds;
    return out;
}

namespace {
thread_local GrafPtr tCurrentPort = nullptr;
}

void GetPort(GrafPtr* out)
{
    if (out) *out = tCurrentPort;
}
void SetPort(GrafPtr port) { tCurrentPort = port; }
void SetPortWindowPort(WindowRef w) { tCurrentPort = GetWindowPort(w); }

void SyncWindowServer()
{
    if (Display* d = MainDisplay()) XSync(d, False);
}
