// The process's X connections, opened on first use after XInitThreads.
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <mutex>

#include "platform/desktop/DesktopInternal.h"

namespace desktop {
namespace {

// Runs when the library is loaded, before anything can reach Xlib through it.
const bool sThreadsReady = (XInitThreads() != 0);

std::atomic<unsigned long> sErrors{0};

// The handler is process-wide: errors on connections that are not ours go on to the handler a
// host's toolkit installed before; without one, they are reported here as well.
using XErrorHandlerProc = int (*)(Display*, XErrorEvent*);
std::atomic<XErrorHandlerProc> sPreviousHandler{nullptr};
std::atomic<Display*> sOurs[2] = {nullptr, nullptr};

int ReportXError(Display* dpy, XErrorEvent* e)
{
    if (dpy != sOurs[0].load() && dpy != sOurs[1].load()) {
        XErrorHandlerProc previous = sPreviousHandler.load();
        return previous ? previous(dpy, e) : 0;
    }
    char text[256];
    XGetErrorText(dpy, e->error_code, text, sizeof text);
    std::fprintf(stderr, "X error: %s (request %d.%d, resource 0x%lx)\n", text, e->request_code, e->minor_code,
                 e->resourceid);
    sErrors.fetch_add(1, std::memory_order_relaxed);
    return 0;
}

Display* Open(const char* what, int slot)
{
    EnsureXThreads();
    // A busy server can refuse a connection now and then: try a few times before giving up.
    Display* d = nullptr;
    for (int attempt = 0; attempt < 20 && !d; ++attempt) {
        d = XOpenDisplay(nullptr);
        if (!d && !(std::getenv("DISPLAY") && *std::getenv("DISPLAY"))) break;
        if (!d) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!d) {
        static std::once_flag warned;
        std::call_once(warned, [what] {
            std::fprintf(stderr, "desktop: no X display for the %s (DISPLAY unset or unreachable)\n", what);
        });
        return nullptr;
    }
    sOurs[slot].store(d);
    XErrorHandlerProc previous = XSetErrorHandler(nullptr);  // Xlib's default is installed ...
    XErrorHandlerProc standard = XSetErrorHandler(ReportXError);  // ... and handed back here
    if (previous != ReportXError && previous != standard) sPreviousHandler.store(previous);
    return d;
}

}  // namespace

void EnsureXThreads()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (!sThreadsReady) XInitThreads();
    });
}

Display* MainDisplay()
{
    static Display* d = Open("windows", 0);
    return d;
}

Display* GLDisplay()
{
    static Display* d = Open("GL contexts", 1);
    return d;
}

unsigned long XErrorCount() { return sErrors.load(std::memory_order_relaxed); }

Atom DeleteWindowAtom()
{
    static Atom a = MainDisplay() ? XInternAtom(MainDisplay(), "WM_DELETE_WINDOW", False) : 0;
    return a;
}

EventTime Now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace desktop
