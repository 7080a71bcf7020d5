// GL contexts: an on-screen one drawing into a window's buffer rectangle from a render thread,
// an offscreen one filling caller memory in the asked byte order, both in one process.
#include <GL/gl.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "platform/desktop/GLContexts.h"
#include "tests/desktop/DisplayFixture.h"
#include "tests/desktop/Screenshot.h"

namespace {

using Bytes = std::vector<UInt8>;
const GLint kOnScreen[] = {AGL_RGBA, AGL_DOUBLEBUFFER, AGL_DEPTH_SIZE, 16, AGL_NONE};
const int kW = 64, kH = 32, kRow = kW * 4 + 16;

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

Context Offscreen(GLint order, GLint depth = 0)
{
    const GLint attrs[] = {AGL_RGBA, AGL_DEPTH_SIZE, depth, AGL_OFFSCREEN, AGL_OFFSCREEN_BYTE_ORDER, order, AGL_NONE};
    return Context(attrs);
}

Bytes Pixel(const Bytes& buf, int row, int col, int rowBytes = kRow)
{
    const UInt8* p = buf.data() + row * rowBytes + col * 4;
    return Bytes(p, p + 4);
}

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

TEST_F(GLContexts, OffscreenContextsFillCallerMemoryInTheAskedByteOrderWithDepthOnlyWhenAsked)
{
    struct Case {
        GLint order;
        Bytes red, blue, clearGreen;
    };
    const Case cases[] = {
        {AGL_BYTES_ARGB, {0xff, 0xff, 0, 0}, {0xff, 0, 0, 0xff}, {0, 0, 0xff, 0}},
        {AGL_BYTES_RGBA, {0xff, 0, 0, 0xff}, {0, 0, 0xff, 0xff}, {0, 0xff, 0, 0}},
        {AGL_BYTES_BGRA, {0, 0, 0xff, 0xff}, {0xff, 0, 0, 0xff}, {0, 0xff, 0, 0}},
        {AGL_BYTES_ABGR, {0xff, 0, 0, 0xff}, {0xff, 0xff, 0, 0}, {0, 0, 0xff, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.order);
        Context off = Offscreen(c.order);
        ASSERT_NE(off.ctx, nullptr) << aglErrorString(aglGetError());
        Bytes buf(size_t(kRow) * kH, 0xee);
        ASSERT_TRUE(aglSetOffScreen(off.ctx, kW, kH, kRow, buf.data()));
        ASSERT_TRUE(aglSetCurrentContext(off.ctx));
        Clear(0, 0, 1);  // blue, red in the bottom-left quarter
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, kW / 2, kH / 2);
        Clear(1, 0, 0);
        glDisable(GL_SCISSOR_TEST);
        glFlush();
        EXPECT_EQ(Pixel(buf, 0, 0), Bytes(4, 0xee));  // nothing lands before the context is left
        ASSERT_TRUE(aglSetCurrentContext(nullptr));
        EXPECT_EQ(Pixel(buf, kH / 2, kW / 2 - 1), c.red);  // the first row is the top
        EXPECT_EQ(Pixel(buf, kH / 2 - 1, 0), c.blue);
        EXPECT_EQ(Pixel(buf, kH - 1, kW / 2), c.blue);
        ASSERT_TRUE(aglSetCurrentContext(off.ctx));
        Clear(0, 1, 0, 0);
        ASSERT_TRUE(aglSwapBuffers(off.ctx));
        ASSERT_TRUE(aglSetCurrentContext(nullptr));
        EXPECT_EQ(Pixel(buf, 3, 3), c.clearGreen);  // alpha kept, not forced opaque
        EXPECT_EQ(buf[size_t(kW) * 4], 0xee);       // row padding is the caller's
        EXPECT_EQ(buf.back(), 0xee);
    }
    for (GLint depthBits : {16, 0}) {
        SCOPED_TRACE(depthBits);
        Context off = Offscreen(AGL_BYTES_ARGB, depthBits);
        Bytes buf(16 * 16 * 4, 0);
        ASSERT_TRUE(aglSetOffScreen(off.ctx, 16, 16, 16 * 4, buf.data()));
        ASSERT_TRUE(aglSetCurrentContext(off.ctx));
        glEnable(GL_DEPTH_TEST);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glColor3f(1, 0, 0);  // near, everywhere
        glRectf(-1, -1, 1, 1);
        glColor3f(0, 1, 0);  // far, drawn later over the left half
        glBegin(GL_QUADS);
        for (float x : {-1.f, 0.f}) glVertex3f(x, -1, 0.5f);
        for (float x : {0.f, -1.f}) glVertex3f(x, 1, 0.5f);
        glEnd();
        ASSERT_TRUE(aglSetCurrentContext(nullptr));
        const Bytes red{0xff, 0xff, 0, 0}, green{0xff, 0, 0xff, 0};
        EXPECT_EQ(Pixel(buf, 8, 1, 64), depthBits ? red : green);  // the nearer red stays only with depth
        EXPECT_EQ(Pixel(buf, 8, 12, 64), red);
    }
}

TEST_F(GLContexts, BothKindsInOneProcessKeepTheirPicturesApart)
{
    WindowRef w = ShownWindow(400, 300, 200, 150);
    ASSERT_NE(w, nullptr);
    Context screen(kOnScreen), off = Offscreen(AGL_BYTES_ARGB);
    ASSERT_TRUE(aglSetDrawable(screen.ctx, GetWindowPort(w)));
    Bytes buf(size_t(kRow) * kH, 0);
    ASSERT_TRUE(aglSetOffScreen(off.ctx, kW, kH, kRow, buf.data()));
    ASSERT_TRUE(aglSetCurrentContext(screen.ctx));
    Clear(0, 1, 0);
    aglSwapBuffers(screen.ctx);
    ASSERT_TRUE(aglSetCurrentContext(off.ctx));
    Clear(1, 0, 1);
    ASSERT_TRUE(aglSwapBuffers(off.ctx));  // copies out while staying current
    EXPECT_EQ(aglGetCurrentContext(), off.ctx);
    ASSERT_TRUE(aglSetCurrentContext(screen.ctx));
    aglSwapBuffers(screen.ctx);
    SyncWindowServer();
    EXPECT_TRUE(Screenshot(mX, GetWindowXID(w)).At(100, 75).Near(0, 255, 0));
    EXPECT_EQ(Pixel(buf, 5, 5), (Bytes{0xff, 0xff, 0, 0xff}));

    // Growing the window and updating the context lets the drawing cover the new area.
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

TEST_F(GLContexts, ErrorsAreReportedOnce)
{
    Context off = Offscreen(AGL_BYTES_ARGB), screen(kOnScreen);
    ASSERT_NE(off.ctx, nullptr);
    const GLint bogus[] = {AGL_RGBA, 9999, AGL_NONE}, noRGBA[] = {AGL_DOUBLEBUFFER, AGL_NONE}, rect[4] = {1, 2, 3, 4};
    Bytes buf(64);
    const std::pair<std::function<bool()>, GLenum> cases[] = {
        {[&] { return aglChoosePixelFormat(nullptr, 0, bogus) != nullptr; }, AGL_BAD_ATTRIBUTE},
        {[&] { return aglChoosePixelFormat(nullptr, 0, noRGBA) != nullptr; }, AGL_BAD_PIXELFMT},
        {[&] { return aglSetCurrentContext(off.ctx); }, AGL_BAD_OFFSCREEN},                  // no memory yet
        {[&] { return aglSetOffScreen(off.ctx, 8, 2, 16, buf.data()); }, AGL_BAD_VALUE},  // rows too short
        {[&] { return aglSetDrawable(off.ctx, nullptr); }, AGL_BAD_DRAWABLE},
        {[&] { return aglSetCurrentContext(screen.ctx); }, AGL_BAD_DRAWABLE},  // no drawable yet
        {[&] { return aglSetInteger(screen.ctx, 12345, rect); }, AGL_BAD_ENUM},
        {[&] { return !aglDestroyContext(screen.ctx) || aglDestroyContext(screen.ctx); }, AGL_BAD_CONTEXT},  // twice
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_FALSE(cases[i].first()) << i;
        EXPECT_EQ(aglGetError(), cases[i].second) << i;
        EXPECT_EQ(aglGetError(), GLenum(AGL_NO_ERROR)) << i;
    }
    screen.ctx = nullptr;
}
