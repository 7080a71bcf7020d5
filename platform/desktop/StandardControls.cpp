// Drawing and mouse tracking of the standard control kinds, with Xlib on the top-level window.
#include <X11/Xutil.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/desktop/DesktopInternal.h"

namespace desktop {
namespace {

struct Palette {
    XFontStruct* font = nullptr;
    unsigned long text = 0, face = 0, shadow = 0, light = 0, accent = 0;
};

unsigned long Alloc(Display* d, unsigned short r, unsigned short g, unsigned short b)
{
    XColor c{};
    c.red = r;
    c.green = g;
    c.blue = b;
    c.flags = DoRed | DoGreen | DoBlue;
    if (XAllocColor(d, DefaultColormap(d, DefaultScreen(d)), &c)) return c.pixel;
    return BlackPixel(d, DefaultScreen(d));
}

const Palette& Colours()
{
    static Palette p = [] {
        Palette q;
        Display* d = MainDisplay();
        q.font = XLoadQueryFont(d, "fixed");
        q.text = Alloc(d, 0x1000, 0x1000, 0x1000);
        q.face = Alloc(d, 0xf4f4, 0xf4f4, 0xf4f4);
        q.shadow = Alloc(d, 0x7070, 0x7070, 0x7070);
        q.light = Alloc(d, 0xffff, 0xffff, 0xffff);
        q.accent = Alloc(d, 0x3030, 0x6060, 0xc0c0);
        return q;
    }();
    return p;
}

bool HasStandardControls(ControlRef c)
{
    if (c->IsStandardKind()) return true;
    for (ControlRef k : c->children)
        if (HasStandardControls(k)) return true;
    return false;
}

struct Box {
    int x, y, w, h;
};

Box WindowBox(ControlRef c)
{
    std::lock_guard<std::mutex> g(c->window->geometry);
    float x, y;
    ControlWindowOrigin(c, x, y);
    return Box{int(std::lround(x)), int(std::lround(y)), int(c->fw), int(c->fh)};
}

// The slider's track ends and the value read-out's left edge, in window pixels.
void SliderTrack(const Box& b, int& x0, int& x1)
{
    int readout = b.w > 90 ? 44 : 0;
    x0 = b.x + 6;
    x1 = std::max(x0 + 1, b.x + b.w - 6 - readout);
}

void Text(Display* d, WindowRef w, const Palette& p, int x, int y, const std::string& s)
{
    XSetForeground(d, w->gc, p.text);
    XDrawString(d, w->xid, w->gc, x, y, s.c_str(), int(s.size()));
}

int TextWidth(const Palette& p, const std::string& s)
{
    return p.font ? XTextWidth(p.font, s.c_str(), int(s.size())) : int(s.size()) * 6;
}

void PaintControl(Display* d, WindowRef w, const Palette& p, ControlRef c)
{
    if (!c->visible) return;
    Box b = WindowBox(c);
    int ascent = p.font ? p.font->ascent : 10;
    int midY = b.y + (b.h + ascent) / 2 - 1;
    GC gc = w->gc;
    switch (c->kind) {
    case kControlKindStaticText: Text(d, w, p, b.x, b.y + ascent, c->title); break;
    case kControlKindCheckBox: {
        int s = 12, bx = b.x + 1, by = b.y + (b.h - s) / 2;
        XSetForeground(d, gc, p.light);
        XFillRectangle(d, w->xid, gc, bx, by, unsigned(s), unsigned(s));
        XSetForeground(d, gc, c->pressed ? p.accent : p.shadow);
        XDrawRectangle(d, w->xid, gc, bx, by, unsigned(s), unsigned(s));
        if (c->value) {
            XSetForeground(d, gc, p.text);
            XSetLineAttributes(d, gc, 2, LineSolid, CapRound, JoinRound);
            XDrawLine(d, w->xid, gc, bx + 3, by + 6, bx + 5, by + 9);
            XDrawLine(d, w->xid, gc, bx + 5, by + 9, bx + 10, by + 3);
            XSetLineAttributes(d, gc, 1, LineSolid, CapButt, JoinMiter);
        }
        Text(d, w, p, bx + s + 6, midY, c->title);
        break;
    }
    case kControlKindPushButton: {
        XSetForeground(d, gc, c->pressed ? p.accent : p.face);
        XFillRectangle(d, w->xid, gc, b.x, b.y, unsigned(std::max(1, b.w)), unsigned(std::max(1, b.h)));
        XSetForeground(d, gc, p.shadow);
        XDrawRectangle(d, w->xid, gc, b.x, b.y, unsigned(std::max(1, b.w - 1)), unsigned(std::max(1, b.h - 1)));
        int tw = TextWidth(p, c->title);
        XSetForeground(d, gc, c->pressed ? p.light : p.text);
        XDrawString(d, w->xid, gc, b.x + (b.w - tw) / 2, midY, c->title.c_str(), int(c->title.size()));
        break;
    }
    case kControlKindSlider: {
        int x0, x1;
        SliderTrack(b, x0, x1);
        int cy = b.y + b.h / 2;
        XSetForeground(d, gc, p.shadow);
        XFillRectangle(d, w->xid, gc, x0, cy - 2, unsigned(x1 - x0), 4);
        double range = std::max(1, c->maximum - c->minimum);
        int tx = x0 + int(std::lround((c->value - c->minimum) / range * (x1 - x0)));
        XSetForeground(d, gc, c->pressed ? p.accent : p.face);
        XFillRectangle(d, w->xid, gc, tx - 4, cy - 8, 9, 16);
        XSetForeground(d, gc, p.text);
        XDrawRectangle(d, w->xid, gc, tx - 4, cy - 8, 8, 15);
        if (b.w > 90) {
            char num[16];
            std::snprintf(num, sizeof num, "%d", int(c->value));
            Text(d, w, p, x1 + 10, midY, num);
        }
        break;
    }
    default: break;
    }
    if (w->focus == c && c->kind != kControlKindStaticText) {
        XSetForeground(d, gc, p.accent);
        XDrawRectangle(d, w->xid, gc, b.x - 2, b.y - 2, unsigned(b.w + 3), unsigned(b.h + 3));
    }
    for (ControlRef k : c->children) PaintControl(d, w, p, k);
}

void Repaint(WindowRef w)
{
    w->needsPaint = true;
    PaintWindow(w);
}

void SendHit(ControlRef c, ControlPartCode part, UInt32 modifiers)
{
    EventRef e = MakeEvent(kEventClassControl, kEventControlHit);
    SetParam(e, kEventParamDirectObject, typeControlRef, c);
    SetParam(e, kEventParamControlPart, typeControlPartCode, part);
    SetParam(e, kEventParamKeyModifiers, typeUInt32, modifiers);
    SendAndRelease(e, &c->target);
}

SInt32 SliderValueAt(ControlRef c, int windowX)
{
    int x0, x1;
    SliderTrack(WindowBox(c), x0, x1);
    double t = std::clamp(double(windowX - x0) / double(x1 - x0), 0.0, 1.0);
    return SInt32(std::lround(c->minimum + t * (c->maximum - c->minimum)));
}

}  // namespace

void PaintWindow(WindowRef w)
{
    w->needsPaint = false;
    if (!w->root || !HasStandardControls(w->root) || !w->mapped) return;
    Display* d = MainDisplay();
    const Palette& p = Colours();
    if (p.font) XSetFont(d, w->gc, p.font->fid);
    XClearWindow(d, w->xid);
    PaintControl(d, w, p, w->root);
    XFlush(d);
}

bool TrackStandardControl(ControlRef c, int rootX, int rootY, UInt32 modifiers)
{
    if (c->kind == kControlKindStaticText) return false;
    WindowRef w = c->window;
    Rect g;
    GetWindowBounds(w, kWindowContentRgn, &g);
    auto inside = [&](const Point& pt) {
        Box b = WindowBox(c);
        int x = pt.h - g.left, y = pt.v - g.top;
        return x >= b.x && x < b.x + b.w && y >= b.y && y < b.y + b.h;
    };
    Point pt{SInt16(rootY), SInt16(rootX)};
    c->pressed = true;
    if (c->kind == kControlKindSlider) SetControl32BitValue(c, SliderValueAt(c, rootX - g.left));
    Repaint(w);
    MouseTrackingResult result = kMouseTrackingMouseDown;
    while (result != kMouseTrackingMouseUp) {
        if (TrackMouseLocationWithOptions(kTrackMouseLocationGlobal, 0, kEventDurationForever, &pt, &modifiers,
                                          &result) != noErr)
            break;
        if (c->kind == kControlKindSlider)
            SetControl32BitValue(c, SliderValueAt(c, pt.h - g.left));
        else
            c->pressed = inside(pt);
        Repaint(w);
    }
    bool hit = c->kind == kControlKindSlider || inside(pt);
    c->pressed = false;
    if (hit && c->kind == kControlKindCheckBox && c->autoToggle) SetControl32BitValue(c, c->value ? 0 : 1);
    Repaint(w);
    if (!hit) return false;
    ControlPartCode part = c->kind == kControlKindCheckBox    ? kControlCheckBoxPart
                           : c->kind == kControlKindSlider    ? kControlIndicatorPart
                                                              : kControlButtonPart;
    SendHit(c, part, modifiers);  // may dispose the window: nothing is touched after it
    return true;
}

}  // namespace desktop
