#include "host/flummel/WindowCapture.h"

#include "host/flummel/CliError.h"

// clang-format off
#include <X11/Xlib.h>
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
