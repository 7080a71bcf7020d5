// GL contexts: an on-screen one drawing into a window's buffer rectangle from a render thread,
// an offscreen one filling caller memory in the asked byte order, both in one process.
#include <GL/gl.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/desktop/GLContexts.h"
#include "tests/desktop/DisplayFixture.h"
#include "tests/desktop/Screenshot.h"

namespace {

const GLint kOnScreen[] = {AGL_RGBA, AGL_DOUBLEBUFFER, AGL_DEPTH_SIZE, 16, AGL_NONE};

// The two threads' hand-shake: the render thread draws and then keeps its context attached
// until the main thread has read the window back.
struct RenderShared {
    enum Stage { Running, Drawn, Read };
    std::atomic<int> stage{Running};
    std::atomic<bool> swapped{false};
    std::atomic<bool> vertexProgram{false};
    std::atomic<GLenum> error{AGL_NO_ERROR};
};

bool WaitForStage(const std::atomic<int>& stage, int wanted, double seconds)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (stage.load(std::memory_order_acquire) != wanted) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// What the GUI's render thread does: set up a context on the window, fill the pane, swap.
void RenderOnce(WindowRef w, const GLint* rect, float r, float g, float b, RenderShared* shared)
{
    AGLPixelFormat pf = aglChoosePixelFormat(nullptr, 0, kOnScreen);
    AGLContext ctx = pf ? aglCreateContext(pf, nullptr) : nullptr;
    bool attached = ctx && aglSetDrawable(ctx, GetWindowPort(w)) && aglSetCurrentContext(ctx);
    if (attached) {
        aglSetInteger(ctx, AGL_BUFFER_RECT, rect);
        aglEnable(ctx, AGL_BUFFER_RECT);
        aglUpdateContext(ctx);
        const GLubyte* e = glGetString(GL_EXTENSIONS);
        shared->vertexProgram.store(e && std::strstr(reinterpret_cast<const char*>(e), "GL_ARB_vertex_program"),
                                    std::memory_order_relaxed);
        glViewport(0, 0, rect[2], rect[3]);
        glClearColor(r, g, b, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        // A blue 10 x 10 square in the bottom-left corner: lands there only if the drawable
        // took the rectangle's size before this first frame.
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, rect[2], 0, rect[3], -1, 1);
        glColor3f(0, 0, 1);
        glRectf(0, 0, 10, 10);
        shared->swapped.store(aglSwapBuffers(ctx) == GL_TRUE, std::memory_order_relaxed);
    }
    shared->error.store(aglGetError(), std::memory_order_relaxed);
    shared->stage.store(RenderShared::Drawn, std::memory_order_release);
    if (attached) {
        WaitForStage(shared->stage, RenderShared::Read, 10.0);
        aglSetCurrentContext(nullptr);
        aglSetDrawable(ctx, nullptr);
    }
    if (ctx) aglDestroyContext(ctx);
    if (pf) aglDestroyPixelFormat(pf);
}

}  // namespace

class GLContexts : public DisplayTest {};

TEST_F(GLContexts, OnScreenContextOnARenderThreadFillsTheBufferRectangle)
{
    WindowRef w = ShownWindow(400, 300, 320, 240);
    ASSERT_NE(w, nullptr);
    // The pane at window (40, 30)-(280, 200); the rectangle counts y from the bottom.
    const GLint rect[4] = {40, 240 - 200, 240, 170};
    RenderShared shared;
    std::thread render(RenderOnce, w, rect, 1.0f, 0.5f, 0.0f, &shared);
    // The main thread keeps serving events while the render thread draws.
    bool drawn = PumpUntil([&] { return shared.stage.load(std::memory_order_acquire) == RenderShared::Drawn; }, 10.0);

    SyncWindowServer();
    const unsigned long xid = GetWindowXID(w);
    {
        Screenshot shot(mX, xid);
        shared.stage.store(RenderShared::Read, std::memory_order_release);
        render.join();
        ASSERT_TRUE(drawn);
        ASSERT_TRUE(shared.swapped.load()) << aglErrorString(shared.error.load());
        EXPECT_TRUE(shared.vertexProgram.load());
        struct Probe {
            int x, y, r, g, b;
        };
        // The pane's corners, the square in its bottom-left corner and beside it, the window outside.
        for (Probe p : {Probe{45, 35, 255, 128, 0}, {275, 195, 255, 128, 0}, {45, 195, 0, 0, 255},
                        {55, 185, 255, 128, 0}, {20, 20, 0xdc, 0xdc, 0xdc}, {300, 220, 0xdc, 0xdc, 0xdc}})
            EXPECT_TRUE(shot.At(p.x, p.y).Near(p.r, p.g, p.b)) << p.x << "," << p.y;
    }
    // The detached context left no GL window behind.
    ::Window root, parent, *kids = nullptr;
    unsigned n = 0;
    XQueryTree(mX, xid, &root, &parent, &kids, &n);
    for (unsigned i = 0; i < n; ++i) {
        XWindowAttributes a;
        XGetWindowAttributes(mX, kids[i], &a);
        EXPECT_EQ(a.c_class, InputOnly);
    }
    if (kids) XFree(kids);
    DisposeWindow(w);
}

namespace {

struct Offscreen {
    AGLPixelFormat pf = nullptr;
    AGLContext ctx = nullptr;
    explicit Offscreen(GLint order)
    {
        const GLint attrs[] = {AGL_RGBA, AGL_DEPTH_SIZE, 0, AGL_OFFSCREEN, AGL_OFFSCREEN_BYTE_ORDER, order, AGL_NONE};
        pf = aglChoosePixelFormat(nullptr, 0, attrs);
        if (pf) ctx = aglCreateContext(pf, nullptr);
    }
    ~Offscreen()
    {
        if (ctx) aglDestroyContext(ctx);
        if (pf) aglDestroyPixelFormat(pf);
    }
};

const int kW = 64, kH = 32, kRow = kW * 4 + 16;

// Blue everywhere, red in the bottom-left quarter of the GL picture.
void PaintPattern()
{
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, kW / 2, kH / 2);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

std::vector<UInt8> Pixel(const std::vector<UInt8>& buf, int row, int col)
{
    const UInt8* p = buf.data() + row * kRow + col * 4;
    return std::vector<UInt8>(p, p + 4);
}

}  // namespace

TEST_F(GLContexts, OffscreenContextFillsCallerMemoryInTheAskedByteOrder)
{
    struct Case {
        GLint order;
        std::vector<UInt8> red, blue, clearGreen;
    };
    const Case cases[] = {
        {AGL_BYTES_ARGB, {0xff, 0xff, 0, 0}, {0xff, 0, 0, 0xff}, {0, 0, 0xff, 0}},
        {AGL_BYTES_RGBA, {0xff, 0, 0, 0xff}, {0, 0, 0xff, 0xff}, {0, 0xff, 0, 0}},
        {AGL_BYTES_BGRA, {0, 0, 0xff, 0xff}, {0xff, 0, 0, 0xff}, {0, 0xff, 0, 0}},
        {AGL_BYTES_ABGR, {0xff, 0, 0, 0xff}, {0xff, 0xff, 0, 0}, {0, 0, 0xff, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.order);
        Offscreen off(c.order);
        ASSERT_NE(off.ctx, nullptr) << aglErrorString(aglGetError());
        GLint described = 0;
        aglDescribePixelFormat(off.pf, AGL_OFFSCREEN_BYTE_ORDER, &described);
        EXPECT_EQ(described, c.order);
        std::vector<UInt8> buf(size_t(kRow) * kH, 0xee);
        ASSERT_TRUE(aglSetOffScreen(off.ctx, kW, kH, kRow, buf.data()));
        ASSERT_TRUE(aglSetCurrentContext(off.ctx));
        PaintPattern();
        glFlush();
        EXPECT_EQ(Pixel(buf, 0, 0), std::vector<UInt8>(4, 0xee));  // nothing lands before it is left
        ASSERT_TRUE(aglSetCurrentContext(nullptr));
        // The first row is the top of the picture: red sits in the lower left.
        EXPECT_EQ(Pixel(buf, kH / 2, kW / 2 - 1), c.red);
        EXPECT_EQ(Pixel(buf, kH / 2 - 1, 0), c.blue);
        EXPECT_EQ(Pixel(buf, kH - 1, kW / 2), c.blue);
        // Alpha is kept, not forced opaque.
        ASSERT_TRUE(aglSetCurrentContext(off.ctx));
        glClearColor(0, 1, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        ASSERT_TRUE(aglSwapBuffers(off.ctx));
        ASSERT_TRUE(aglSetCurrentContext(nullptr));
        EXPECT_EQ(Pixel(buf, 3, 3), c.clearGreen);
        // Row padding past width x 4 bytes is the caller's and stays untouched.
        EXPECT_EQ(buf[size_t(kW) * 4], 0xee);
        EXPECT_EQ(buf[size_t(kRow) * kH - 1], 0xee);
    }
}

TEST_F(GLContexts, AnOffscreenDepthBufferExistsOnlyWhenAskedFor)
{
    for (GLint depthBits : {16, 0}) {
        SCOPED_TRACE(depthBits);
        const GLint attrs[] = {AGL_RGBA, AGL_DEPTH_SIZE, depthBits, AGL_OFFSCREEN, AGL_NONE};
        AGLPixelFormat pf = aglChoosePixelFormat(nullptr, 0, attrs);
        ASSERT_NE(pf, nullptr);
        AGLContext ctx = aglCreateContext(pf, nullptr);
        std::vector<UInt8> buf(16 * 16 * 4, 0);
        ASSERT_TRUE(aglSetOffScreen(ctx, 16, 16, 16 * 4, buf.data()));
        ASSERT_TRUE(aglSetCurrentContext(ctx));
        glEnable(GL_DEPTH_TEST);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glColor3f(1, 0, 0);  // near, everywhere
        glRectf(-1, -1, 1, 1);
        glColor3f(0, 1, 0);  // far, drawn later over the left half
        glBegin(GL_QUADS);
        glVertex3f(-1, -1, 0.5f);
        glVertex3f(0, -1, 0.5f);
        glVertex3f(0, 1, 0.5f);
        glVertex3f(-1, 1, 0.5f);
        glEnd();
        ASSERT_TRUE(aglSetCurrentContext(nullptr));
        // ARGB: with a depth buffer the nearer red stays; without one the later green wins.
        const std::vector<UInt8> red{0xff, 0xff, 0, 0}, green{0xff, 0, 0xff, 0};
        EXPECT_EQ(std::vector<UInt8>(buf.begin() + 8 * 64 + 4, buf.begin() + 8 * 64 + 8), depthBits ? red : green);
        EXPECT_EQ(std::vector<UInt8>(buf.begin() + 8 * 64 + 48, buf.begin() + 8 * 64 + 52), red);
        aglDestroyContext(ctx);
        aglDestroyPixelFormat(pf);
    }
}

TEST_F(GLContexts, BothKindsInOneProcessKeepTheirPicturesApart)
{
    WindowRef w = ShownWindow(400, 300, 200, 150);
    ASSERT_NE(w, nullptr);
    AGLPixelFormat pf = aglChoosePixelFormat(nullptr, 0, kOnScreen);
    ASSERT_NE(pf, nullptr);
    AGLContext screen = aglCreateContext(pf, nullptr);
    ASSERT_TRUE(aglSetDrawable(screen, GetWindowPort(w)));
    Offscreen off(AGL_BYTES_ARGB);
    std::vector<UInt8> buf(size_t(kRow) * kH, 0);
    ASSERT_TRUE(aglSetOffScreen(off.ctx, kW, kH, kRow, buf.data()));

    ASSERT_TRUE(aglSetCurrentContext(screen));
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    aglSwapBuffers(screen);
    ASSERT_TRUE(aglSetCurrentContext(off.ctx));
    glClearColor(1, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_TRUE(aglSwapBuffers(off.ctx));  // copies out while staying current
    EXPECT_EQ(aglGetCurrentContext(), off.ctx);
    ASSERT_TRUE(aglSetCurrentContext(screen));
    aglSwapBuffers(screen);
    SyncWindowServer();
    EXPECT_TRUE(Screenshot(mX, GetWindowXID(w)).At(100, 75).Near(0, 255, 0));
    EXPECT_EQ(Pixel(buf, 5, 5), (std::vector<UInt8>{0xff, 0xff, 0, 0xff}));

    // Growing the window and updating the context lets the drawing cover the new area.
    SizeWindow(w, 260, 180, true);
    aglUpdateContext(screen);
    glViewport(0, 0, 260, 180);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    aglSwapBuffers(screen);
    SyncWindowServer();
    EXPECT_TRUE(PumpUntil([&] { return Screenshot(mX, GetWindowXID(w)).At(250, 170).Near(0, 0, 255); }));
    aglSetCurrentContext(nullptr);
    aglDestroyContext(screen);
    aglDestroyPixelFormat(pf);
    DisposeWindow(w);
}

TEST_F(GLContexts, ErrorsAreReportedOnceWithAText)
{
    const GLint bogus[] = {AGL_RGBA, 9999, AGL_NONE};
    EXPECT_EQ(aglChoosePixelFormat(nullptr, 0, bogus), nullptr);
    EXPECT_EQ(aglGetError(), GLenum(AGL_BAD_ATTRIBUTE));
    EXPECT_EQ(aglGetError(), GLenum(AGL_NO_ERROR));
    const GLint noRGBA[] = {AGL_DOUBLEBUFFER, AGL_NONE};
    EXPECT_EQ(aglChoosePixelFormat(nullptr, 0, noRGBA), nullptr);
    EXPECT_EQ(aglGetError(), GLenum(AGL_BAD_PIXELFMT));

    Offscreen off(AGL_BYTES_ARGB);
    ASSERT_NE(off.ctx, nullptr);
    EXPECT_FALSE(aglSetCurrentContext(off.ctx));  // no memory attached yet
    EXPECT_EQ(aglGetError(), GLenum(AGL_BAD_OFFSCREEN));
    std::vector<UInt8> buf(64);
    EXPECT_FALSE(aglSetOffScreen(off.ctx, 8, 2, 16, buf.data()));  // rows shorter than 8 pixels
    EXPECT_EQ(aglGetError(), GLenum(AGL_BAD_VALUE));
    EXPECT_FALSE(aglSetDrawable(off.ctx, nullptr));
    EXPECT_EQ(aglGetError(), GLenum(AGL_BAD_DRAWABLE));

    AGLPixelFormat pf = aglChoosePixelFormat(nullptr, 0, kOnScreen);
    AGLContext ctx = aglCreateContext(pf, nullptr);
    EXPECT_FALSE(aglSetCurrentContext(ctx));  // no drawable yet
    EXPECT_EQ(aglGetError(), GLenum(AGL_BAD_DRAWABLE));
    const GLint rect[4] = {1, 2, 3, 4};
    EXPECT_FALSE(aglSetInteger(ctx, 12345, rect));
    EXPECT_EQ(aglGetError(), GLenum(AGL_BAD_ENUM));
    EXPECT_TRUE(aglDestroyContext(ctx));
    EXPECT_FALSE(aglDestroyContext(ctx));
    EXPECT_EQ(aglGetError(), GLenum(AGL_BAD_CONTEXT));
    aglDestroyPixelFormat(pf);
}
