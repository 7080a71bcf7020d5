// The picture of a window as the X server has it, read through the test's own connection.
#pragma once

#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on

#include <cstdlib>

class Screenshot {
public:
    struct RGB {
        int r, g, b;
        bool Near(int R, int G, int B, int tolerance = 2) const
        {
            return std::abs(r - R) <= tolerance && std::abs(g - G) <= tolerance && std::abs(b - B) <= tolerance;
        }
    };

    Screenshot(Display* d, unsigned long window)
    {
        XWindowAttributes a{};
        if (XGetWindowAttributes(d, window, &a))
            mImage = XGetImage(d, window, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
    }
    ~Screenshot()
    {
        if (mImage) XDestroyImage(mImage);
    }
    Screenshot(const Screenshot&) = delete;
    Screenshot& operator=(const Screenshot&) = delete;

    bool Valid() const { return mImage != nullptr; }
    int Width() const { return mImage ? mImage->width : 0; }
    int Height() const { return mImage ? mImage->height : 0; }

    // Window-local pixel; (-1, -1, -1) outside the picture.
    RGB At(int x, int y) const
    {
        if (!mImage || x < 0 || y < 0 || x >= mImage->width || y >= mImage->height) return RGB{-1, -1, -1};
        unsigned long p = XGetPixel(mImage, x, y);
        return RGB{int((p & mImage->red_mask) >> 16), int((p & mImage->green_mask) >> 8), int(p & mImage->blue_mask)};
    }

    // Pixels of the rectangle [x0, x1) x [y0, y1) for which `pred` holds.
    template <class Pred>
    int Count(int x0, int y0, int x1, int y1, Pred pred) const
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (pred(At(x, y))) ++n;
        return n;
    }

    // Pixels of [x0, x1) x [y0, y1) whose colour differs visibly from `other`'s.
    int Changed(const Screenshot& other, int x0, int y0, int x1, int y1) const
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const RGB p = At(x, y), q = other.At(x, y);
                n += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) > 30;
            }
        return n;
    }

private:
    XImage* mImage = nullptr;
};
