// The main-thread event loop: X input becomes events, timers fire, and the CF run loop runs.
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <thread>

#include "platform/cf/CFRunLoop.h"
#include "platform/desktop/DesktopInternal.h"

struct OpaqueEventLoopTimerRef {
    EventTime next = 0;
    EventTimerInterval interval = 0;
    EventLoopTimerUPP proc = nullptr;
    void* userData = nullptr;
};
struct OpaqueEventLoopRef {};

namespace desktop {

void ApplyWindowBounds(WindowRef w, const Rect& r, bool fromServer, UInt32 extraAttributes);
void NoteWindowMapped(WindowRef w, bool mapped);
bool ControlAlive(ControlRef c);

namespace {

std::deque<XEvent> sSetAside;  // input that the drag loop did not consume
std::atomic<bool> sQuit{false};
std::atomic<UInt32> sModifiers{0};
std::atomic<UInt32> sButtons{0};
int sPointerX = 0, sPointerY = 0;
EventTime sLastClickTime = 0;
int sLastClickX = -100, sLastClickY = -100;
UInt32 sClickCount = 0;

std::set<EventLoopTimerRef>& Timers()
{
    static std::set<EventLoopTimerRef> t;
    return t;
}

unsigned int ModifierMaskForKey(KeySym k)
{
    switch (k) {
    case XK_Shift_L: case XK_Shift_R: return ShiftMask;
    case XK_Control_L: case XK_Control_R: return ControlMask;
    case XK_Alt_L: case XK_Alt_R: case XK_Meta_L: case XK_Meta_R: return Mod1Mask;
    case XK_Super_L: case XK_Super_R: return Mod4Mask;
    case XK_Caps_Lock: return LockMask;
    default: return 0;
    }
}

// The X state after a modifier key event (the event carries the state before it).
unsigned int StateAfterKey(const XKeyEvent& k, unsigned int mask)
{
    if (mask == LockMask) return k.type == KeyPress ? (k.state ^ LockMask) : k.state;
    return k.type == KeyPress ? (k.state | mask) : (k.state & ~mask);
}

EventMouseButton ButtonOf(unsigned int xbutton)
{
    switch (xbutton) {
    case 1: return kEventMouseButtonPrimary;
    case 3: return kEventMouseButtonSecondary;
    default: return kEventMouseButtonTertiary;
    }
}

void SetPointerParams(EventRef e, WindowRef w, int localX, int localY, int rootX, int rootY)
{
    SetParam(e, kEventParamMouseLocation, typeHIPoint, HIPoint{CGFloat(rootX), CGFloat(rootY)});
    SetParam(e, kEventParamWindowMouseLocation, typeHIPoint, HIPoint{CGFloat(localX), CGFloat(localY)});
    SetParam(e, kEventParamKeyModifiers, typeUInt32, sModifiers.load(std::memory_order_relaxed));
    SetParam(e, kEventParamWindowRef, typeWindowRef, w);
}

bool WindowAlive(WindowRef w, ::Window xid) { return WindowForXID(xid) == w; }

void DefaultMouseDown(WindowRef w, const XButtonEvent& b, EventMouseButton button)
{
    ::Window xid = w->xid;
    SelectWindow(w);
    ControlRef c = FindControlUnderMouse(Point{SInt16(b.y), SInt16(b.x)}, w, nullptr);
    if (!c) return;
    if (c->features & kControlGetsFocusOnClick) SetKeyboardFocus(w, c, 1);
    if (!WindowAlive(w, xid) || !ControlAlive(c)) return;
    EventRef e = MakeEvent(kEventClassControl, kEventControlClick);
    SetParam(e, kEventParamDirectObject, typeControlRef, c);
    SetPointerParams(e, w, b.x, b.y, b.x_root, b.y_root);
    SetParam(e, kEventParamMouseButton, typeMouseButton, button);
    SetParam(e, kEventParamClickCount, typeUInt32, sClickCount);
    OSStatus r = SendAndRelease(e, &c->target);
    if (r == eventNotHandledErr && button == kEventMouseButtonPrimary && WindowAlive(w, xid) && ControlAlive(c) &&
        c->IsStandardKind())
        TrackStandardControl(c, b.x_root, b.y_root, sModifiers.load(std::memory_order_relaxed));
}

void Wheel(WindowRef w, const XButtonEvent& b)
{
    EventMouseWheelAxis axis = b.button <= 5 ? kEventMouseWheelAxisY : kEventMouseWheelAxisX;
    SInt32 delta = (b.button == 4 || b.button == 6) ? 1 : -1;
    ControlRef c = FindControlUnderMouse(Point{SInt16(b.y), SInt16(b.x)}, w, nullptr);
    EventRef e = MakeEvent(kEventClassMouse, kEventMouseWheelMoved);
    SetPointerParams(e, w, b.x, b.y, b.x_root, b.y_root);
    SetParam(e, kEventParamMouseWheelAxis, typeMouseWheelAxis, axis);
    SetParam(e, kEventParamMouseWheelDelta, typeSInt32, delta);
    SendAndRelease(e, c ? &c->target : &w->target);
}

// An embedded window hears nothing when its host's window moves; the pointer says where it is.
void FollowEmbeddedOrigin(WindowRef w, int x, int y, int rootX, int rootY)
{
    if (!w->embedded) return;
    std::lock_guard<std::mutex> g(w->geometry);
    const int dx = rootX - x - w->global.left, dy = rootY - y - w->global.top;
    w->global = Rect{SInt16(w->global.top + dy), SInt16(w->global.left + dx), SInt16(w->global.bottom + dy),
                     SInt16(w->global.right + dx)};
}

void Button(WindowRef w, XButtonEvent& b, bool down)
{
    FollowEmbeddedOrigin(w, b.x, b.y, b.x_root, b.y_root);
    NotePointer(b.x_root, b.y_root);
    NoteModifiers(ModifiersFromXState(b.state));
    if (b.button >= 4 && b.button <= 7) {
        if (down) Wheel(w, b);
        return;
    }
    EventMouseButton button = ButtonOf(b.button);
    UInt32 bit = 1u << (button - 1);
    if (down) {
        sButtons.fetch_or(bit, std::memory_order_relaxed);
        EventTime now = Now();
        bool again = now - sLastClickTime < 0.4 && std::abs(b.x_root - sLastClickX) < 4 &&
                     std::abs(b.y_root - sLastClickY) < 4;
        sClickCount = again ? sClickCount + 1 : 1;
        sLastClickTime = now;
        sLastClickX = b.x_root;
        sLastClickY = b.y_root;
    } else {
        sButtons.fetch_and(~bit, std::memory_order_relaxed);
    }
    EventRef e = MakeEvent(kEventClassMouse, down ? kEventMouseDown : kEventMouseUp);
    SetPointerParams(e, w, b.x, b.y, b.x_root, b.y_root);
    SetParam(e, kEventParamMouseButton, typeMouseButton, button);
    SetParam(e, kEventParamClickCount, typeUInt32, sClickCount);
    ::Window xid = w->xid;
    OSStatus r = SendAndRelease(e, &w->target);
    if (down && r == eventNotHandledErr && WindowAlive(w, xid)) DefaultMouseDown(w, b, button);
}

void Motion(WindowRef w, XMotionEvent& m)
{
    FollowEmbeddedOrigin(w, m.x, m.y, m.x_root, m.y_root);
    NotePointer(m.x_root, m.y_root);
    NoteModifiers(ModifiersFromXState(m.state));
    ::Window xid = w->xid;
    UpdateTrackingRegions(w, m.x, m.y, true);
    if (!WindowAlive(w, xid)) return;
    bool dragging = (m.state & (Button1Mask | Button2Mask | Button3Mask)) != 0;
    EventRef e = MakeEvent(kEventClassMouse, dragging ? kEventMouseDragged : kEventMouseMoved);
    SetPointerParams(e, w, m.x, m.y, m.x_root, m.y_root);
    SendAndRelease(e, &w->target);
}

void Key(WindowRef w, XKeyEvent& k)
{
    KeySym sym = XLookupKeysym(&k, 0);
    if (unsigned int mask = ModifierMaskForKey(sym)) {
        UInt32 mods = ModifiersFromXState(StateAfterKey(k, mask));
        if (mods == sModifiers.load(std::memory_order_relaxed)) return;
        NoteModifiers(mods);
        EventRef e = MakeEvent(kEventClassKeyboard, kEventRawKeyModifiersChanged);
        SetParam(e, kEventParamKeyModifiers, typeUInt32, mods);
        SendAndRelease(e, &w->target);
        return;
    }
    NoteModifiers(ModifiersFromXState(k.state));
    char text[8] = {0};
    KeySym ignored;
    XLookupString(&k, text, sizeof text, &ignored, nullptr);
    EventRef e = MakeEvent(kEventClassKeyboard, k.type == KeyPress ? kEventRawKeyDown : kEventRawKeyUp);
    SetParam(e, kEventParamKeyCode, typeUInt32, UInt32(k.keycode));
    SetParam(e, kEventParamKeyMacCharCodes, typeChar, 1, text);
    SetParam(e, kEventParamKeyModifiers, typeUInt32, sModifiers.load(std::memory_order_relaxed));
    SendAndRelease(e, w->focus ? &w->focus->target : &w->target);
}

void Configure(WindowRef w, XConfigureEvent& c)
{
    int x = c.x, y = c.y;
    if (!c.send_event) {
        ::Window child;
        Display* d = MainDisplay();
        XTranslateCoordinates(d, w->xid, DefaultRootWindow(d), 0, 0, &x, &y, &child);
    }
    Rect r{SInt16(y), SInt16(x), SInt16(y + c.height), SInt16(x + c.width)};
    ApplyWindowBounds(w, r, true, kWindowBoundsChangeUserResize);
}

void SendSimple(WindowRef w, UInt32 kind)
{
    EventRef e = MakeEvent(kEventClassWindow, kind);
    SetParam(e, kEventParamDirectObject, typeWindowRef, w);
    SendAndRelease(e, &w->target);
}

void PaintIfNeeded(WindowRef w, void*)
{
    if (w->needsPaint && w->mapped) PaintWindow(w);
}

void FireTimers()
{
    EventTime now = Now();
    std::vector<EventLoopTimerRef> due;
    for (EventLoopTimerRef t : Timers())
        if (t->next >= 0 && t->next <= now) due.push_back(t);
    for (EventLoopTimerRef t : due) {
        if (!Timers().count(t)) continue;  // removed by an earlier callback
        t->next = t->interval > 0 ? now + t->interval : -1;
        t->proc(t, t->userData);
    }
}

double UntilNextTimer()
{
    double best = 1e9;
    EventTime now = Now();
    for (EventLoopTimerRef t : Timers())
        if (t->next >= 0) best = std::min(best, std::max(0.0, t->next - now));
    return best;
}

void WaitForInput(double seconds)
{
    if (seconds <= 0) return;
    Display* d = MainDisplay();
    if (!d) {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        return;
    }
    pollfd p{ConnectionNumber(d), POLLIN, 0};
    poll(&p, 1, int(std::ceil(seconds * 1000)));
}

// One pass of the loop; false when a quit was asked for.
bool Pass(double maxWait)
{
    Display* d = MainDisplay();
    while (!sSetAside.empty()) {
        XEvent ev = sSetAside.front();
        sSetAside.pop_front();
        HandleXEvent(ev);
    }
    while (d && XPending(d)) {
        XEvent ev;
        XNextEvent(d, &ev);
        HandleXEvent(ev);
        if (sQuit.load()) break;
    }
    FireTimers();
    CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, false);
    ForEachWindow(PaintIfNeeded, nullptr);
    if (d) XFlush(d);
    if (sQuit.exchange(false)) return false;
    if (d && XPending(d)) return true;
    WaitForInput(std::min({maxWait, UntilNextTimer(), 0.01}));
    return true;
}

}  // namespace

UInt32 ModifiersFromXState(unsigned int s)
{
    UInt32 m = 0;
    if (s & ShiftMask) m |= shiftKey;
    if (s & LockMask) m |= alphaLock;
    if (s & ControlMask) m |= controlKey;
    if (s & Mod1Mask) m |= optionKey;
    if (s & Mod4Mask) m |= cmdKey;
    return m;
}

void NoteModifiers(UInt32 modifiers) { sModifiers.store(modifiers, std::memory_order_relaxed); }

void NotePointer(int rootX, int rootY)
{
    sPointerX = rootX;
    sPointerY = rootY;
}

void ForgetWindowInput(WindowRef w)
{
    sSetAside.erase(std::remove_if(sSetAside.begin(), sSetAside.end(),
                                   [w](const XEvent& e) { return e.xany.window == w->xid; }),
                    sSetAside.end());
}

void InvalidateWindow(WindowRef w)
{
    if (w) w->needsPaint = true;
}

void HandleXEvent(XEvent& ev)
{
    WindowRef w = WindowForXID(ev.xany.window);
    if (!w) return;
    switch (ev.type) {
    case ButtonPress: Button(w, ev.xbutton, true); break;
    case ButtonRelease: Button(w, ev.xbutton, false); break;
    case MotionNotify: Motion(w, ev.xmotion); break;
    case EnterNotify:
    case LeaveNotify:
        if (ev.xcrossing.detail == NotifyInferior) break;
        NotePointer(ev.xcrossing.x_root, ev.xcrossing.y_root);
        UpdateTrackingRegions(w, ev.xcrossing.x, ev.xcrossing.y, ev.type == EnterNotify);
        break;
    case KeyPress:
    case KeyRelease: Key(w, ev.xkey); break;
    case Expose:
        if (ev.xexpose.count == 0) {
            ::Window xid = w->xid;
            SendSimple(w, kEventWindowDrawContent);
            if (WindowAlive(w, xid)) PaintWindow(w);
        }
        break;
    case MapNotify: NoteWindowMapped(w, true); break;
    case UnmapNotify: NoteWindowMapped(w, false); break;
    case ConfigureNotify: Configure(w, ev.xconfigure); break;
    case FocusIn:
        if (ev.xfocus.detail != NotifyPointer) SendSimple(w, kEventWindowActivated);
        break;
    case FocusOut:
        if (ev.xfocus.detail != NotifyPointer) SendSimple(w, kEventWindowDeactivated);
        break;
    case ClientMessage:
        if (Atom(ev.xclient.data.l[0]) == DeleteWindowAtom()) {
            EventRef e = MakeEvent(kEventClassWindow, kEventWindowClose);
            SetParam(e, kEventParamDirectObject, typeWindowRef, w);
            ::Window xid = w->xid;
            if (SendAndRelease(e, &w->target) == eventNotHandledErr && WindowAlive(w, xid)) DisposeWindow(w);
        }
        break;
    default: break;
    }
}

}  // namespace desktop

using namespace desktop;

void RunApplicationEventLoop()
{
    while (Pass(0.01)) {
    }
}

void QuitApplicationEventLoop() { sQuit.store(true); }

OSStatus RunCurrentEventLoop(EventTimeout seconds)
{
    EventTime end = seconds < 0 ? 1e300 : Now() + seconds;
    do {
        if (!Pass(std::max(0.0, end - Now()))) return eventLoopQuitErr;
    } while (Now() < end);
    return eventLoopTimedOutErr;
}

EventLoopRef GetMainEventLoop()
{
    static OpaqueEventLoopRef main;
    return &main;
}
EventLoopRef GetCurrentEventLoop() { return GetMainEventLoop(); }

OSStatus InstallEventLoopTimer(EventLoopRef loop, EventTimerInterval fireDelay, EventTimerInterval interval,
                               EventLoopTimerUPP proc, void* userData, EventLoopTimerRef* outTimer)
{
    if (!loop || !proc || !outTimer || fireDelay < 0 || interval < 0) return paramErr;
    EventLoopTimerRef t = new OpaqueEventLoopTimerRef;
    t->next = Now() + fireDelay;
    t->interval = interval;
    t->proc = proc;
    t->userData = userData;
    Timers().insert(t);
    *outTimer = t;
    return noErr;
}

OSStatus RemoveEventLoopTimer(EventLoopTimerRef t)
{
    if (!Timers().erase(t)) return paramErr;
    delete t;
    return noErr;
}

OSStatus SetEventLoopTimerNextFireTime(EventLoopTimerRef t, EventTimerInterval nextFire)
{
    if (!Timers().count(t)) return paramErr;
    t->next = nextFire < 0 ? -1 : Now() + nextFire;
    return noErr;
}

UInt32 GetCurrentKeyModifiers() { return sModifiers.load(std::memory_order_relaxed); }
UInt32 GetCurrentEventButtonState() { return sButtons.load(std::memory_order_relaxed); }

namespace {

void ReportPoint(GrafPtr port, int rootX, int rootY, Point* out)
{
    if (!out) return;
    GrafPtr p = port;
    if (!p) GetPort(&p);
    int x = rootX, y = rootY;
    if (p && p != kTrackMouseLocationGlobal) {
        Rect g{};
        if (WindowRef w = GetWindowFromPort(p)) GetWindowBounds(w, kWindowContentRgn, &g);
        x -= g.left;
        y -= g.top;
    }
    *out = Point{SInt16(y), SInt16(x)};
}

}  // namespace

OSStatus TrackMouseLocationWithOptions(GrafPtr port, OptionBits, EventTimeout timeout, Point* outPt,
                                       UInt32* outModifiers, MouseTrackingResult* outResult)
{
    Display* d = MainDisplay();
    if (!d) return kDesktopNoDisplayErr;
    if (!outResult) return paramErr;
    EventTime end = timeout < 0 ? 1e300 : Now() + timeout;
    auto report = [&](MouseTrackingResult r) {
        ReportPoint(port, sPointerX, sPointerY, outPt);
        if (outModifiers) *outModifiers = sModifiers.load(std::memory_order_relaxed);
        *outResult = r;
        return noErr;
    };
    for (;;) {
        while (XPending(d)) {
            XEvent ev;
            XNextEvent(d, &ev);
            switch (ev.type) {
            case MotionNotify:
                NotePointer(ev.xmotion.x_root, ev.xmotion.y_root);
                return report((ev.xmotion.state & (Button1Mask | Button2Mask | Button3Mask))
                                  ? kMouseTrackingMouseDragged
                                  : kMouseTrackingMouseMoved);
            case ButtonPress:
            case ButtonRelease: {
                if (ev.xbutton.button >= 4 && ev.xbutton.button <= 7) {
                    sSetAside.push_back(ev);
                    break;
                }
                NotePointer(ev.xbutton.x_root, ev.xbutton.y_root);
                UInt32 bit = 1u << (ButtonOf(ev.xbutton.button) - 1);
                if (ev.type == ButtonPress) {
                    sButtons.fetch_or(bit, std::memory_order_relaxed);
                    return report(kMouseTrackingMouseDown);
                }
                sButtons.fetch_and(~bit, std::memory_order_relaxed);
                return report(kMouseTrackingMouseUp);
            }
            case KeyPress:
            case KeyRelease: {
                unsigned int mask = ModifierMaskForKey(XLookupKeysym(&ev.xkey, 0));
                if (!mask) {
                    sSetAside.push_back(ev);
                    break;
                }
                UInt32 mods = ModifiersFromXState(StateAfterKey(ev.xkey, mask));
                if (mods != sModifiers.load(std::memory_order_relaxed)) {
                    NoteModifiers(mods);
                    return report(kMouseTrackingKeyModifiersChanged);
                }
                break;
            }
            default: sSetAside.push_back(ev); break;
            }
        }
        CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, false);
        EventTime now = Now();
        if (now >= end) return report(kMouseTrackingTimedOut);
        WaitForInput(std::min(0.01, end - now));
    }
}

OSStatus TrackMouseLocation(GrafPtr port, Point* outPt, MouseTrackingResult* outResult)
{
    return TrackMouseLocationWithOptions(port, 0, kEventDurationForever, outPt, nullptr, outResult);
}
