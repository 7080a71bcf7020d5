// On-screen GL contexts: drawing into a window's buffer rectangle from a render thread, and
// following the window as it grows. The offscreen label bitmap is met by the toolkit's frame test.
#include <GL/gl.h>

#include <atomic>
#include <thread>

#include "platform/desktop/GLContexts.h"
#include "tests/desktop/DisplayFixture.h"
#include "tests/desktop/Screenshot.h"

namespace {

const GLint kOnScreen[] = {AGL_RGBA, AGL_DOUBLEBUFFER, AGL_DEPTH_SIZE, 16, AGL_NONE};

struct Context {
    AGLPixelFormat pf;
    AGLContext ctx = nullptr;
    explicit Context(const GLint* attrs) : pf(aglChoosePixelFormat(nullptr, 0, attrs))
    {
        if (pf) ctx = aglCreateContext(pf, nullptr);
    }
    ~Context()
    {
        if (ctx) aglDestroyContext(ctx);
        if (pf) aglDestroyPixelFormat(pf);
    }
};

void Clear(float r, float g, float b, float a = 1)
{
    glClearColor(r, g, b, a);
    glClear(GL_COLOR_BUFFER_BIT);
}

// The render thread draws, then keeps its context attached until the main thread has read the window.
struct RenderShared {
    std::atomic<int> stage{0};  // 0 running, 1 drawn, 2 read back
    std::atomic<bool> swapped{false};
    std::atomic<GLenum> error{AGL_NO_ERROR};
};

// What the GUI's render thread does: a context on the window, the pane filled, a swap.
void RenderOnce(WindowRef w, const GLint* rect, RenderShared* shared)
{
    Context c(kOnScreen);
    bool attached = c.ctx && aglSetDrawable(c.ctx, GetWindowPort(w)) && aglSetCurrentContext(c.ctx);
    if (attached) {
        aglSetInteger(c.ctx, AGL_BUFFER_RECT, rect);
        aglEnable(c.ctx, AGL_BUFFER_RECT);
        aglUpdateContext(c.ctx);
        glViewport(0, 0, rect[2], rect[3]);
        Clear(1, 0.5f, 0);
        // A blue 10 x 10 square bottom left: there only if the drawable took the rectangle's size first.
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, rect[2], 0, rect[3], -1, 1);
        glColor3f(0, 0, 1);
        glRectf(0, 0, 10, 10);
        shared->swapped = aglSwapBuffers(c.ctx) == GL_TRUE;
    }
    shared->error = aglGetError();
    shared->stage = 1;
    if (!attached) return;
    for (int i = 0; i < 5000 && shared->stage != 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    aglSetCurrentContext(nullptr);
    aglSetDrawable(c.ctx, nullptr);
}

}  // namespace

class GLContexts : public DisplayTest {};

TEST_F(GLContexts, OnScreenContextOnARenderThreadFillsTheBufferRectangle)
{
    WindowRef w = ShownWindow(400, 300, 320, 240);
    ASSERT_NE(w, nullptr);
    const GLint rect[4] = {40, 240 - 200, 240, 170};  // the pane (40, 30)-(280, 200); y counts from the bottom
    RenderShared shared;
    std::thread render(RenderOnce, w, rect, &shared);
    bool drawn = PumpUntil([&] { return shared.stage == 1; }, 10.0);  // serving events meanwhile
    SyncWindowServer();
    const unsigned long xid = GetWindowXID(w);
    {
        Screenshot shot(mX, xid);
        shared.stage = 2;
        render.join();
        ASSERT_TRUE(drawn);
        ASSERT_TRUE(shared.swapped) << aglErrorString(shared.error);
        struct Probe {
            int x, y, r, g, b;
        };
        // The pane's corners, the square and beside it, the window outside.
        for (Probe p : {Probe{45, 35, 255, 128, 0}, {275, 195, 255, 128, 0}, {45, 195, 0, 0, 255},
                        {55, 185, 255, 128, 0}, {20, 20, 0xdc, 0xdc, 0xdc}, {300, 220, 0xdc, 0xdc, 0xdc}})
            EXPECT_TRUE(shot.At(p.x, p.y).Near(p.r, p.g, p.b)) << p.x << "," << p.y;
    }
    for (unsigned long kid : Children(xid)) {  // the detached context left no GL window behind
        XWindowAttributes a;
        XGetWindowAttributes(mX, kid, &a);
        EXPECT_EQ(a.c_class, InputOnly);
    }
    DisposeWindow(w);
}

// As after a scale change: growing the window and updating the context lets the drawing cover
// the new area.
TEST_F(GLContexts, AfterTheWindowGrowsAnUpdatedContextCoversTheNewArea)
{
    WindowRef w = ShownWindow(400, 300, 200, 150);
    ASSERT_NE(w, nullptr);
    Context screen(kOnScreen);
    ASSERT_TRUE(aglSetDrawable(screen.ctx, GetWindowPort(w)));
    ASSERT_TRUE(aglSetCurrentContext(screen.ctx));
    SizeWindow(w, 260, 180, true);
    aglUpdateContext(screen.ctx);
    glViewport(0, 0, 260, 180);
    Clear(0, 0, 1);
    aglSwapBuffers(screen.ctx);
    SyncWindowServer();
    EXPECT_TRUE(PumpUntil([&] { return Screenshot(mX, GetWindowXID(w)).At(250, 170).Near(0, 0, 255); }));
    aglSetCurrentContext(nullptr);
    DisposeWindow(w);
}
