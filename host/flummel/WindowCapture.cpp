#include "host/flummel/WindowCapture.h"

#include "host/flummel/CliError.h"

#include <unistd.h>

// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
// clang-format on

namespace {

// The 8-bit value of the channel under `mask`.
unsigned char Channel(unsigned long pixel, unsigned long mask)
{
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const unsigned long max = mask >> shift;
    return (unsigned char)(((pixel & mask) >> shift) * 255 / max);
}

}  // namespace

WindowCapture::WindowCapture() : mDisplay(XOpenDisplay(nullptr))
{
    if (!mDisplay) throw CliError("cannot open the X display");
}

WindowCapture::~WindowCapture() { XCloseDisplay(mDisplay); }

std::vector<unsigned char> WindowCapture::Capture(unsigned long window, int& width, int& height) const
{
    XWindowAttributes a{};
    XImage* image = XGetWindowAttributes(mDisplay, window, &a)
                        ? XGetImage(mDisplay, window, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap)
                        : nullptr;
    if (!image) throw CliError("cannot read the window's pixels back");
    width = image->width;
    height = image->height;
    std::vector<unsigned char> rgb(size_t(width) * size_t(height) * 3);
    unsigned char* p = rgb.data();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            *p++ = Channel(pixel, image->red_mask);
            *p++ = Channel(pixel, image->green_mask);
            *p++ = Channel(pixel, image->blue_mask);
        }
    XDestroyImage(image);
    return rgb;
}

bool WindowCapture::Obscured(unsigned long window) const
{
    XWindowAttributes own{};
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XGetWindowAttributes(mDisplay, window, &own) ||
        !XQueryTree(mDisplay, DefaultRootWindow(mDisplay), &root, &parent, &children, &count))
        return false;
    // Children come bottom first: only those after the window stand over it.
    bool above = false, covered = false;
    for (unsigned i = 0; i < count && !covered; ++i) {
        if (children[i] == window) {
            above = true;
            continue;
        }
        XWindowAttributes a{};
        if (!above || !XGetWindowAttributes(mDisplay, children[i], &a) || a.map_state != IsViewable) continue;
        covered = a.x < own.x + own.width && own.x < a.x + a.width + 2 * a.border_width &&
                  a.y < own.y + own.height && own.y < a.y + a.height + 2 * a.border_width;
    }
    if (children) XFree(children);
    return covered;
}

void WindowCapture::Raise(unsigned long window) const
{
    XRaiseWindow(mDisplay, window);
    XFlush(mDisplay);
}

void WindowCapture::MarkWithProcess(unsigned long window) const
{
    const long pid = long(getpid());
    XChangeProperty(mDisplay, window, XInternAtom(mDisplay, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    XFlush(mDisplay);
}
