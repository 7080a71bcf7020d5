// Shared set-up for tests that need the X server: skips without DISPLAY, serialises the
// display tests of concurrently running test processes (they share one pointer and one screen),
// and offers synthetic input through XTest on a connection of the test's own.
#pragma once

// gtest first: Xlib's macros (None, Bool, Status) would break its templates.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
// clang-format on
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <vector>

#include "platform/desktop/Controls.h"
#include "platform/desktop/Events.h"
#include "platform/desktop/Windows.h"

// An event handler of a lambda: install HandlerFn as the callback and a Handler* as its data.
using Handler = std::function<OSStatus(EventHandlerCallRef, EventRef)>;
inline OSStatus HandlerFn(EventHandlerCallRef call, EventRef e, void* h)
{
    return (*static_cast<Handler*>(h))(call, e);
}

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X display: start Xvfb (Xvfb :99 -screen 0 1280x1024x24 &) and set DISPLAY";
        mLock = open("/tmp/flummel-display-tests.lock", O_CREAT | O_RDWR, 0666);
        ASSERT_GE(mLock, 0);
        ASSERT_EQ(flock(mLock, LOCK_EX), 0);
        for (int attempt = 0; attempt < 20 && !mX; ++attempt) {
            mX = XOpenDisplay(nullptr);  // a busy server can refuse a connection now and then
            if (!mX) usleep(50000);
        }
        ASSERT_NE(mX, nullptr) << "cannot open DISPLAY " << std::getenv("DISPLAY");
        int ev, err, major, minor;
        ASSERT_TRUE(XTestQueryExtension(mX, &ev, &err, &major, &minor)) << "the X server lacks XTest";
        Key("Shift_L", false);  // start from a quiet pointer and keyboard
        Button(1, false);
    }

    void TearDown() override
    {
        if (mX) XCloseDisplay(mX);
        if (mLock >= 0) close(mLock);
    }

    // Runs the event loop until `done` holds or `seconds` pass; returns `done()`.
    static bool PumpUntil(const std::function<bool()>& done, double seconds = 3.0)
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            RunCurrentEventLoop(0.01);
        }
        return true;
    }
    static void Pump(double seconds) { PumpUntil([] { return false; }, seconds); }

    // A visible window whose content starts at global (x, y); waits until it is mapped.
    WindowRef ShownWindow(int x, int y, int w, int h, WindowAttributes attrs = kWindowStandardHandlerAttribute)
    {
        Rect r{SInt16(y), SInt16(x), SInt16(y + h), SInt16(x + w)};
        WindowRef win = nullptr;
        EXPECT_EQ(CreateNewWindow(kDocumentWindowClass, attrs, &r, &win), noErr);
        if (!win) return nullptr;
        ShowWindow(win);
        EXPECT_TRUE(PumpUntil([&] { return Viewable(GetWindowXID(win)); }));
        SelectWindow(win);
        Pump(0.05);
        return win;
    }

    bool Viewable(unsigned long xid)
    {
        XWindowAttributes a;
        return XGetWindowAttributes(mX, xid, &a) && a.map_state == IsViewable;
    }

    // The X children of `xid`, bottom to top.
    std::vector<unsigned long> Children(unsigned long xid)
    {
        ::Window root, parent, *kids = nullptr;
        unsigned n = 0;
        std::vector<unsigned long> out;
        if (XQueryTree(mX, xid, &root, &parent, &kids, &n) && kids) out.assign(kids, kids + n);
        if (kids) XFree(kids);
        return out;
    }

    void MovePointer(int x, int y)
    {
        XTestFakeMotionEvent(mX, DefaultScreen(mX), x, y, 0);
        XSync(mX, False);
    }
    void Button(unsigned int b, bool down)
    {
        XTestFakeButtonEvent(mX, b, down, 0);
        XSync(mX, False);
    }
    void Key(const char* keysym, bool down)
    {
        XTestFakeKeyEvent(mX, XKeysymToKeycode(mX, XStringToKeysym(keysym)), down, 0);
        XSync(mX, False);
    }

    Display* mX = nullptr;
    int mLock = -1;
};
