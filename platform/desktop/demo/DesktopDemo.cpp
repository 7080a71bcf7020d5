// A window with a pane that a GL context on a render thread fills with a moving square, the
// pointer over the pane lighting the square up: the desktop layer at work, for a person to look at.
//
//   flummel_desktop_demo [--seconds N]     closes by itself after N seconds (else with the window)
#include <GL/gl.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/desktop/Controls.h"
#include "platform/desktop/Events.h"
#include "platform/desktop/GLContexts.h"
#include "platform/desktop/MouseTracking.h"
#include "platform/desktop/Multiprocessing.h"
#include "platform/desktop/Windows.h"

namespace {

enum : MPEventFlags { kQuit = 1, kRedraw = 8 };

constexpr SInt16 kWindowWidth = 480, kWindowHeight = 360;
const Rect kPaneBounds = {40, 40, 320, 440};  // top, left, bottom, right in the window
constexpr float kSquare = 60, kOrbit = 80;

struct Demo {
    WindowRef window = nullptr;
    ControlRef pane = nullptr;
    MPEventID wake = nullptr;
    MPSemaphoreID done = nullptr;
    MPTaskID task = nullptr;
    std::atomic<bool> hovered{false};
    std::atomic<int> frames{0};
};

void DrawFrame(const Demo& d, double seconds, int width, int height)
{
    glViewport(0, 0, width, height);
    glClearColor(0.08f, 0.10f, 0.25f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // Once round the orbit every four seconds, turning as it goes.
    double angle = seconds * M_PI / 2;
    glTranslated(width / 2.0 + kOrbit * std::cos(angle), height / 2.0 + kOrbit * std::sin(angle), 0);
    glRotated(angle * 180 / M_PI, 0, 0, 1);
    if (d.hovered.load(std::memory_order_relaxed))
        glColor3f(0.6f, 1.0f, 0.2f);
    else
        glColor3f(1.0f, 0.55f, 0.1f);
    glBegin(GL_QUADS);
    glVertex2f(-kSquare / 2, -kSquare / 2);
    glVertex2f(kSquare / 2, -kSquare / 2);
    glVertex2f(kSquare / 2, kSquare / 2);
    glVertex2f(-kSquare / 2, kSquare / 2);
    glEnd();
}

bool Report(const char* what)
{
    GLenum e = aglGetError();
    if (e) std::fprintf(stderr, "desktop demo: %s: %s\n", what, aglErrorString(e));
    return e == AGL_NO_ERROR;
}

// The render thread: a context on the window, drawing only the pane, until told to quit.
OSStatus Render(void* p)
{
    auto* d = static_cast<Demo*>(p);
    const GLint attributes[] = {AGL_RGBA, AGL_DOUBLEBUFFER, AGL_DEPTH_SIZE, 16, AGL_NONE};
    AGLPixelFormat format = aglChoosePixelFormat(nullptr, 0, attributes);
    AGLContext context = format ? aglCreateContext(format, nullptr) : nullptr;
    bool ready = context && aglSetDrawable(context, GetWindowPort(d->window)) && aglSetCurrentContext(context);
    Rect port, pane;
    GetWindowPortBounds(d->window, &port);
    GetControlBounds(d->pane, &pane);
    // The buffer rectangle counts y from the bottom of the window.
    const GLint rect[4] = {pane.left, port.bottom - pane.bottom, pane.right - pane.left, pane.bottom - pane.top};
    if (ready) {
        ready = aglSetInteger(context, AGL_BUFFER_RECT, rect) && aglEnable(context, AGL_BUFFER_RECT) &&
                aglUpdateContext(context);
        std::printf("desktop demo: drawing with %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
        std::fflush(stdout);
    }
    Report("GL set-up");
    AbsoluteTime start = UpTime();
    for (;;) {
        if (ready) {
            DrawFrame(*d, AbsoluteDeltaToNanoseconds(UpTime(), start) * 1e-9, rect[2], rect[3]);
            aglSwapBuffers(context);
            d->frames.fetch_add(1, std::memory_order_relaxed);
        }
        MPEventFlags flags = 0;
        MPWaitForEvent(d->wake, &flags, 33 * kDurationMillisecond);
        if (flags & kQuit) break;
    }
    if (context) {
        aglSetCurrentContext(nullptr);
        aglSetDrawable(context, nullptr);
        aglDestroyContext(context);
    }
    if (format) aglDestroyPixelFormat(format);
    MPSignalSemaphore(d->done);
    return noErr;
}

OSStatus OnWindow(EventHandlerCallRef, EventRef, void*)
{
    QuitApplicationEventLoop();
    return noErr;  // the window goes once the render thread has let go of it
}

OSStatus OnPointer(EventHandlerCallRef, EventRef e, void* p)
{
    auto* d = static_cast<Demo*>(p);
    d->hovered.store(GetEventKind(e) == kEventMouseEntered, std::memory_order_relaxed);
    MPSetEvent(d->wake, kRedraw);
    return noErr;
}

void TimeUp(EventLoopTimerRef, void*) { QuitApplicationEventLoop(); }

}  // namespace

int main(int argc, char** argv)
{
    double seconds = -1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--seconds N]\n", argv[0]);
            return 2;
        }
    }

    Demo d;
    Rect bounds{100, 100, SInt16(100 + kWindowHeight), SInt16(100 + kWindowWidth)};
    OSStatus r = CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute | kWindowCloseBoxAttribute,
                                 &bounds, &d.window);
    if (r != noErr) {
        std::fprintf(stderr, "desktop demo: cannot open a window (%d): is DISPLAY set?\n", int(r));
        return 1;
    }
    SetWindowTitleWithCFString(d.window, CFSTR("Flummel desktop demo"));
    CreateUserPaneControl(d.window, &kPaneBounds, kControlSupportsEmbedding, &d.pane);
    const EventTypeSpec close = {kEventClassWindow, kEventWindowClose};
    InstallWindowEventHandler(d.window, OnWindow, 1, &close, &d, nullptr);

    RgnHandle area = NewRgn();
    RectRgn(area, &kPaneBounds);
    MouseTrackingRef tracking = nullptr;
    CreateMouseTrackingRegion(d.window, area, nullptr, kMouseTrackingOptionsLocalClip, {FourCC("demo"), 1}, nullptr,
                              GetControlEventTarget(d.pane), &tracking);
    DisposeRgn(area);
    const EventTypeSpec pointer[] = {{kEventClassMouse, kEventMouseEntered}, {kEventClassMouse, kEventMouseExited}};
    InstallControlEventHandler(d.pane, OnPointer, 2, pointer, &d, nullptr);

    ShowWindow(d.window);
    MPCreateEvent(&d.wake);
    MPCreateSemaphore(1, 0, &d.done);
    if (MPCreateTask(Render, &d, 0, nullptr, nullptr, nullptr, 0, &d.task) != noErr) {
        std::fprintf(stderr, "desktop demo: no render thread\n");
        return 1;
    }
    EventLoopTimerRef timer = nullptr;
    if (seconds >= 0) InstallEventLoopTimer(GetMainEventLoop(), seconds, 0, TimeUp, nullptr, &timer);
    RunApplicationEventLoop();

    MPSetEvent(d.wake, kQuit);
    if (MPWaitOnSemaphore(d.done, 10000) != noErr) {
        std::fprintf(stderr, "desktop demo: the render thread did not stop\n");
        MPTerminateTask(d.task, -1);
        return 1;
    }
    if (timer) RemoveEventLoopTimer(timer);
    MPDeleteEvent(d.wake);
    MPDeleteSemaphore(d.done);
    ReleaseMouseTrackingRegion(tracking);
    DisposeWindow(d.window);
    std::printf("desktop demo: %d frames\n", d.frames.load());
    return 0;
}
