// GL contexts on GLX: on-screen ones draw into a GL child window of the target window (so a
// buffer rectangle is just that child's geometry), offscreen ones into a framebuffer object
// (on a 1 x 1 pbuffer that only serves to make them current) read back into the caller's memory.
#include "platform/desktop/GLContexts.h"

#include <GL/glx.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/desktop/DesktopInternal.h"
#include "platform/desktop/GLOffscreenTarget.h"
#include "platform/desktop/Windows.h"

struct OpaqueAGLPixelFormat {
    bool offscreen = false;
    bool doubleBuffer = false;
    GLint depth = 0, stencil = 0, red = 0, green = 0, blue = 0, alpha = 0;
    GLint byteOrder = AGL_BYTES_ARGB;
    GLXFBConfig config = nullptr;
};

struct OpaqueAGLContext {
    OpaqueAGLPixelFormat format;
    GLXContext glx = nullptr;
    // On-screen.
    CGrafPtr port = nullptr;
    ::Window child = 0;
    int childWidth = 0, childHeight = 0;
    Colormap colormap = 0;
    GLint bufferRect[4] = {0, 0, 0, 0};
    bool bufferRectEnabled = false;
    // Offscreen.
    GLXPbuffer pbuffer = 0;
    GLOffscreenTarget target;
    GLsizei width = 0, height = 0, rowBytes = 0;
    UInt8* base = nullptr;
    std::thread::id owner;  // thread it is current on, default id when none; guarded by Lock()
};

namespace {

using desktop::GLDisplay;

thread_local GLenum tError = AGL_NO_ERROR;
thread_local AGLContext tCurrent = nullptr;

// Never destroyed, so that a render thread still ending at exit finds them.
std::mutex& Lock()
{
    static auto* m = new std::mutex;
    return *m;
}
std::set<AGLContext>& Contexts()
{
    static auto* s = new std::set<AGLContext>;
    return *s;
}
std::set<AGLPixelFormat>& Formats()
{
    static auto* s = new std::set<AGLPixelFormat>;
    return *s;
}

GLboolean Fail(GLenum code)
{
    tError = code;
    return GL_FALSE;
}

bool Live(AGLContext ctx)
{
    std::lock_guard<std::mutex> g(Lock());
    return ctx && Contexts().count(ctx);
}

GLXFBConfig PickConfig(Display* d, const OpaqueAGLPixelFormat& f)
{
    // Offscreen pictures live in a framebuffer object: the pbuffer needs no depth or alpha.
    std::vector<int> a = {GLX_RENDER_TYPE, GLX_RGBA_BIT, GLX_DRAWABLE_TYPE,
                          f.offscreen ? GLX_PBUFFER_BIT : GLX_WINDOW_BIT};
    if (!f.offscreen) {
        a.insert(a.end(), {GLX_DEPTH_SIZE, f.depth, GLX_STENCIL_SIZE, f.stencil, GLX_RED_SIZE, f.red, GLX_GREEN_SIZE,
                           f.green, GLX_BLUE_SIZE, f.blue, GLX_ALPHA_SIZE, f.alpha, GLX_DOUBLEBUFFER,
                           f.doubleBuffer ? True : False, GLX_X_RENDERABLE, True, GLX_X_VISUAL_TYPE, GLX_TRUE_COLOR});
    }
    a.push_back(None);
    int n = 0;
    GLXFBConfig* list = glXChooseFBConfig(d, DefaultScreen(d), a.data(), &n);
    GLXFBConfig pick = nullptr;
    int wanted = DefaultDepth(d, DefaultScreen(d));
    for (int i = 0; list && i < n && !pick; ++i) {
        // On screen, a GL window of the parent's depth shows in read-backs of the parent. Off
        // screen, a pbuffer as deep as its visual takes the driver's image uploads without errors.
        int bufferSize = 0;
        glXGetFBConfigAttrib(d, list[i], GLX_BUFFER_SIZE, &bufferSize);
        if (XVisualInfo* vi = glXGetVisualFromFBConfig(d, list[i])) {
            if (f.offscreen ? vi->depth == bufferSize : vi->depth == wanted) pick = list[i];
            XFree(vi);
        }
    }
    if (list) XFree(list);
    return pick;
}

// Where the GL window goes in the port, at least 1 x 1.
void Geometry(AGLContext ctx, int& x, int& y, int& w, int& h)
{
    Rect port;
    GetPortBounds(ctx->port, &port);
    int pw = port.right - port.left, ph = port.bottom - port.top;
    if (ctx->bufferRectEnabled) {
        x = ctx->bufferRect[0];
        w = ctx->bufferRect[2];
        h = ctx->bufferRect[3];
        y = ph - ctx->bufferRect[1] - h;
    } else {
        x = 0;
        y = 0;
        w = pw;
        h = ph;
    }
    w = std::max(1, w);
    h = std::max(1, h);
}

// A mapped GL window in the parent at the context's geometry; 0 on failure.
::Window NewChild(AGLContext ctx, ::Window parent)
{
    Display* d = GLDisplay();
    XVisualInfo* vi = glXGetVisualFromFBConfig(d, ctx->format.config);
    if (!vi) return 0;
    if (!ctx->colormap) ctx->colormap = XCreateColormap(d, parent, vi->visual, AllocNone);
    XSetWindowAttributes a{};
    a.colormap = ctx->colormap;
    a.border_pixel = 0;
    a.background_pixmap = None;  // keeps what the screen shows until the first swap
    a.event_mask = 0;            // input goes on to the window below
    int x, y, w, h;
    Geometry(ctx, x, y, w, h);
    unsigned long before = desktop::XErrorCount();
    const unsigned long mask = CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask;
    ::Window child = XCreateWindow(d, parent, x, y, unsigned(w), unsigned(h), 0, vi->depth,
                                   InputOutput, vi->visual, mask, &a);
    XFree(vi);
    XMapWindow(d, child);
    XSync(d, False);
    if (desktop::XErrorCount() != before) {
        if (child) XDestroyWindow(d, child);
        XSync(d, False);
        return 0;
    }
    ctx->childWidth = w;
    ctx->childHeight = h;
    return child;
}

// Moves the GL window to the context's geometry. The driver keeps the buffer size of a drawable
// from when it was first bound, so a new size gets a new window, made before the old one goes
// so that the picture does not flash.
void PlaceChild(AGLContext ctx)
{
    if (!ctx->child) return;
    int x, y, w, h;
    Geometry(ctx, x, y, w, h);
    Display* d = GLDisplay();
    if (w == ctx->childWidth && h == ctx->childHeight) {
        XMoveWindow(d, ctx->child, x, y);
        XSync(d, False);
        return;
    }
    ::Window parent = GetWindowXID(GetWindowFromPort(ctx->port));
    ::Window fresh = NewChild(ctx, parent);
    if (!fresh) {  // keep drawing at the old size rather than not at all
        XMoveResizeWindow(d, ctx->child, x, y, unsigned(w), unsigned(h));
        XSync(d, False);
        return;
    }
    ::Window old = ctx->child;
    ctx->child = fresh;
    if (tCurrent == ctx) glXMakeContextCurrent(d, fresh, fresh, ctx->glx);
    XDestroyWindow(d, old);
    XSync(d, False);
}

void DetachChild(AGLContext ctx)
{
    Display* d = GLDisplay();
    if (ctx->child) XDestroyWindow(d, ctx->child);
    if (ctx->colormap) XFreeColormap(d, ctx->colormap);
    ctx->child = 0;
    ctx->childWidth = ctx->childHeight = 0;
    ctx->colormap = 0;
    ctx->port = nullptr;
    XSync(d, False);
}

// Copies the offscreen picture (current on this thread) into the caller's memory.
void CopyOut(AGLContext ctx)
{
    if (ctx->format.offscreen && ctx->base) ctx->target.CopyOut(ctx->base, ctx->rowBytes, ctx->format.byteOrder);
}

// The thread a context is current on is read by other threads' calls, so it changes under the lock.
void SetOwner(AGLContext ctx, std::thread::id id)
{
    std::lock_guard<std::mutex> g(Lock());
    ctx->owner = id;
}

GLXDrawable DrawableOf(AGLContext ctx) { return ctx->format.offscreen ? ctx->pbuffer : ctx->child; }

}  // namespace

AGLPixelFormat aglChoosePixelFormat(const AGLDevice*, GLint, const GLint* attribs)
{
    OpaqueAGLPixelFormat f;
    bool rgba = false;
    for (const GLint* a = attribs; a && *a != AGL_NONE; ++a) {
        switch (*a) {
        case AGL_RGBA: rgba = true; break;
        case AGL_DOUBLEBUFFER: f.doubleBuffer = true; break;
        case AGL_OFFSCREEN: f.offscreen = true; break;
        case AGL_ACCELERATED:
        case AGL_ALL_RENDERERS: break;
        case AGL_DEPTH_SIZE: f.depth = *++a; break;
        case AGL_STENCIL_SIZE: f.stencil = *++a; break;
        case AGL_RED_SIZE: f.red = *++a; break;
        case AGL_GREEN_SIZE: f.green = *++a; break;
        case AGL_BLUE_SIZE: f.blue = *++a; break;
        case AGL_ALPHA_SIZE: f.alpha = *++a; break;
        case AGL_PIXEL_SIZE:
        case AGL_BUFFER_SIZE: ++a; break;
        case AGL_OFFSCREEN_BYTE_ORDER:
            f.byteOrder = *++a;
            if (f.byteOrder < AGL_BYTES_ARGB || f.byteOrder > AGL_BYTES_ABGR) {
                tError = AGL_BAD_VALUE;
                return nullptr;
            }
            break;
        default: tError = AGL_BAD_ATTRIBUTE; return nullptr;
        }
    }
    if (!rgba) {
        tError = AGL_BAD_PIXELFMT;  // colour-index modes are not offered
        return nullptr;
    }
    if (f.offscreen) f.doubleBuffer = false;
    Display* d = GLDisplay();
    if (!d) {
        tError = AGL_BAD_CONNECTION;
        return nullptr;
    }
    f.config = PickConfig(d, f);
    if (!f.config) {
        tError = AGL_BAD_PIXELFMT;
        return nullptr;
    }
    AGLPixelFormat p = new OpaqueAGLPixelFormat(f);
    std::lock_guard<std::mutex> g(Lock());
    Formats().insert(p);
    return p;
}

void aglDestroyPixelFormat(AGLPixelFormat pix)
{
    std::lock_guard<std::mutex> g(Lock());
    if (!Formats().erase(pix)) {
        tError = AGL_BAD_PIXELFMT;
        return;
    }
    delete pix;
}

GLboolean aglDescribePixelFormat(AGLPixelFormat pix, GLint attrib, GLint* value)
{
    {
        std::lock_guard<std::mutex> g(Lock());
        if (!Formats().count(pix)) return Fail(AGL_BAD_PIXELFMT);
    }
    if (!value) return Fail(AGL_BAD_POINTER);
    switch (attrib) {
    case AGL_RGBA: *value = 1; return GL_TRUE;
    case AGL_OFFSCREEN: *value = pix->offscreen; return GL_TRUE;
    case AGL_OFFSCREEN_BYTE_ORDER: *value = pix->byteOrder; return GL_TRUE;
    default: break;
    }
    if (pix->offscreen) {  // what the framebuffer object will have
        switch (attrib) {
        case AGL_DOUBLEBUFFER: *value = 0; return GL_TRUE;
        case AGL_DEPTH_SIZE: *value = pix->depth > 0 ? 24 : 0; return GL_TRUE;
        case AGL_STENCIL_SIZE: *value = pix->stencil > 0 ? 8 : 0; return GL_TRUE;
        case AGL_RED_SIZE:
        case AGL_GREEN_SIZE:
        case AGL_BLUE_SIZE:
        case AGL_ALPHA_SIZE: *value = 8; return GL_TRUE;
        default: return Fail(AGL_BAD_ATTRIBUTE);
        }
    }
    Display* d = GLDisplay();
    int v = 0;
    switch (attrib) {
    case AGL_DOUBLEBUFFER: glXGetFBConfigAttrib(d, pix->config, GLX_DOUBLEBUFFER, &v); break;
    case AGL_DEPTH_SIZE: glXGetFBConfigAttrib(d, pix->config, GLX_DEPTH_SIZE, &v); break;
    case AGL_STENCIL_SIZE: glXGetFBConfigAttrib(d, pix->config, GLX_STENCIL_SIZE, &v); break;
    case AGL_RED_SIZE: glXGetFBConfigAttrib(d, pix->config, GLX_RED_SIZE, &v); break;
    case AGL_GREEN_SIZE: glXGetFBConfigAttrib(d, pix->config, GLX_GREEN_SIZE, &v); break;
    case AGL_BLUE_SIZE: glXGetFBConfigAttrib(d, pix->config, GLX_BLUE_SIZE, &v); break;
    case AGL_ALPHA_SIZE: glXGetFBConfigAttrib(d, pix->config, GLX_ALPHA_SIZE, &v); break;
    default: return Fail(AGL_BAD_ATTRIBUTE);
    }
    *value = v;
    return GL_TRUE;
}

AGLContext aglCreateContext(AGLPixelFormat pix, AGLContext share)
{
    {
        std::lock_guard<std::mutex> g(Lock());
        if (!Formats().count(pix)) {
            tError = AGL_BAD_PIXELFMT;
            return nullptr;
        }
        if (share && !Contexts().count(share)) {
            tError = AGL_BAD_CONTEXT;
            return nullptr;
        }
    }
    Display* d = GLDisplay();
    GLXContext glx = glXCreateNewContext(d, pix->config, GLX_RGBA_TYPE, share ? share->glx : nullptr, True);
    if (!glx) {
        tError = AGL_BAD_ALLOC;
        return nullptr;
    }
    AGLContext ctx = new OpaqueAGLContext;
    ctx->format = *pix;
    ctx->glx = glx;
    std::lock_guard<std::mutex> g(Lock());
    Contexts().insert(ctx);
    return ctx;
}

GLboolean aglDestroyContext(AGLContext ctx)
{
    if (!Live(ctx)) return Fail(AGL_BAD_CONTEXT);
    if (tCurrent == ctx) aglSetCurrentContext(nullptr);
    {
        std::lock_guard<std::mutex> g(Lock());
        if (ctx->owner != std::thread::id()) return Fail(AGL_BAD_CONTEXT);  // current on another thread
        Contexts().erase(ctx);
    }
    Display* d = GLDisplay();
    DetachChild(ctx);
    if (ctx->pbuffer) glXDestroyPbuffer(d, ctx->pbuffer);
    glXDestroyContext(d, ctx->glx);
    XSync(d, False);
    delete ctx;
    return GL_TRUE;
}

GLboolean aglSetCurrentContext(AGLContext ctx)
{
    Display* d = GLDisplay();
    if (!d) return Fail(AGL_BAD_CONNECTION);
    const std::thread::id self = std::this_thread::get_id();
    if (ctx) {
        std::lock_guard<std::mutex> g(Lock());
        if (!Contexts().count(ctx)) return Fail(AGL_BAD_CONTEXT);
        if (ctx->owner != std::thread::id() && ctx->owner != self) return Fail(AGL_BAD_CONTEXT);  // current elsewhere
    }
    if (ctx && !DrawableOf(ctx)) return Fail(ctx->format.offscreen ? AGL_BAD_OFFSCREEN : AGL_BAD_DRAWABLE);
    if (AGLContext prev = tCurrent) {
        if (prev != ctx) CopyOut(prev);
        SetOwner(prev, std::thread::id());
    }
    tCurrent = nullptr;
    if (!ctx) {
        glXMakeContextCurrent(d, None, None, nullptr);
        return GL_TRUE;
    }
    GLXDrawable dr = DrawableOf(ctx);
    if (!glXMakeContextCurrent(d, dr, dr, ctx->glx)) return Fail(AGL_BAD_MATCH);
    if (ctx->format.offscreen &&
        !ctx->target.Bind(ctx->width, ctx->height, ctx->format.depth > 0, ctx->format.stencil > 0)) {
        glXMakeContextCurrent(d, None, None, nullptr);
        return Fail(AGL_BAD_ALLOC);
    }
    SetOwner(ctx, self);
    tCurrent = ctx;
    return GL_TRUE;
}

AGLContext aglGetCurrentContext() { return tCurrent; }

GLboolean aglSetDrawable(AGLContext ctx, AGLDrawable drawable)
{
    if (!Live(ctx)) return Fail(AGL_BAD_CONTEXT);
    if (ctx->format.offscreen) return Fail(AGL_BAD_DRAWABLE);
    WindowRef window = GetWindowFromPort(drawable);
    if (drawable && !window) return Fail(AGL_BAD_DRAWABLE);
    bool wasCurrent = tCurrent == ctx;
    if (wasCurrent) aglSetCurrentContext(nullptr);
    DetachChild(ctx);
    if (!drawable) return GL_TRUE;

    ctx->port = drawable;
    ctx->child = NewChild(ctx, GetWindowXID(window));
    if (!ctx->child) {
        DetachChild(ctx);
        return Fail(AGL_BAD_WINDOW);
    }
    if (wasCurrent) aglSetCurrentContext(ctx);
    return GL_TRUE;
}

AGLDrawable aglGetDrawable(AGLContext ctx) { return Live(ctx) ? ctx->port : nullptr; }

GLboolean aglSetWindowRef(AGLContext ctx, WindowRef window)
{
    return aglSetDrawable(ctx, window ? GetWindowPort(window) : nullptr);
}

GLboolean aglUpdateContext(AGLContext ctx)
{
    if (!Live(ctx)) return Fail(AGL_BAD_CONTEXT);
    PlaceChild(ctx);
    return GL_TRUE;
}

GLboolean aglSwapBuffers(AGLContext ctx)
{
    if (!Live(ctx)) return Fail(AGL_BAD_CONTEXT);
    if (ctx->format.offscreen) {
        if (tCurrent != ctx) return Fail(AGL_BAD_CONTEXT);
        glFinish();
        CopyOut(ctx);
        return GL_TRUE;
    }
    if (!ctx->child) return Fail(AGL_BAD_DRAWABLE);
    Display* d = GLDisplay();
    if (ctx->format.doubleBuffer)
        glXSwapBuffers(d, ctx->child);
    else if (tCurrent == ctx)
        glFinish();
    XSync(d, False);  // the picture is on the server before the call returns
    return GL_TRUE;
}

GLboolean aglSetInteger(AGLContext ctx, GLenum pname, const GLint* params)
{
    if (!Live(ctx)) return Fail(AGL_BAD_CONTEXT);
    if (!params) return Fail(AGL_BAD_POINTER);
    if (pname != AGL_BUFFER_RECT) return Fail(AGL_BAD_ENUM);
    if (params[2] < 0 || params[3] < 0) return Fail(AGL_BAD_VALUE);
    std::memcpy(ctx->bufferRect, params, sizeof ctx->bufferRect);
    if (ctx->bufferRectEnabled) PlaceChild(ctx);
    return GL_TRUE;
}

GLboolean aglGetInteger(AGLContext ctx, GLenum pname, GLint* params)
{
    if (!Live(ctx)) return Fail(AGL_BAD_CONTEXT);
    if (!params) return Fail(AGL_BAD_POINTER);
    if (pname != AGL_BUFFER_RECT) return Fail(AGL_BAD_ENUM);
    std::memcpy(params, ctx->bufferRect, sizeof ctx->bufferRect);
    return GL_TRUE;
}

namespace {

// The one option that can be switched: the buffer rectangle.
GLboolean SetEnabled(AGLContext ctx, GLenum pname, bool on)
{
    if (!Live(ctx)) return Fail(AGL_BAD_CONTEXT);
    if (pname != AGL_BUFFER_RECT) return Fail(AGL_BAD_ENUM);
    ctx->bufferRectEnabled = on;
    PlaceChild(ctx);
    return GL_TRUE;
}

}  // namespace

GLboolean aglEnable(AGLContext ctx, GLenum pname) { return SetEnabled(ctx, pname, true); }
GLboolean aglDisable(AGLContext ctx, GLenum pname) { return SetEnabled(ctx, pname, false); }

GLboolean aglIsEnabled(AGLContext ctx, GLenum pname)
{
    if (!Live(ctx)) return Fail(AGL_BAD_CONTEXT);
    if (pname != AGL_BUFFER_RECT) return Fail(AGL_BAD_ENUM);
    return ctx->bufferRectEnabled ? GL_TRUE : GL_FALSE;
}

GLboolean aglSetOffScreen(AGLContext ctx, GLsizei width, GLsizei height, GLsizei rowbytes, GLvoid* baseaddr)
{
    if (!Live(ctx)) return Fail(AGL_BAD_CONTEXT);
    if (!ctx->format.offscreen) return Fail(AGL_BAD_OFFSCREEN);
    if (!baseaddr) return Fail(AGL_BAD_POINTER);
    if (width <= 0 || height <= 0 || rowbytes < width * 4) return Fail(AGL_BAD_VALUE);
    Display* d = GLDisplay();
    bool wasCurrent = tCurrent == ctx;
    if (wasCurrent) aglSetCurrentContext(nullptr);
    if (!ctx->pbuffer) {
        const int attrs[] = {GLX_PBUFFER_WIDTH, 1, GLX_PBUFFER_HEIGHT, 1, None};
        ctx->pbuffer = glXCreatePbuffer(d, ctx->format.config, attrs);
        XSync(d, False);
        if (!ctx->pbuffer) return Fail(AGL_BAD_ALLOC);
    }
    ctx->width = width;
    ctx->height = height;
    ctx->rowBytes = rowbytes;
    ctx->base = static_cast<UInt8*>(baseaddr);
    if (wasCurrent) aglSetCurrentContext(ctx);
    return GL_TRUE;
}

GLenum aglGetError()
{
    GLenum e = tError;
    tError = AGL_NO_ERROR;
    return e;
}

const GLubyte* aglErrorString(GLenum code)
{
    const char* s;
    switch (code) {
    case AGL_NO_ERROR: s = "no error"; break;
    case AGL_BAD_ATTRIBUTE: s = "invalid pixel format attribute"; break;
    case AGL_BAD_PROPERTY: s = "invalid renderer property"; break;
    case AGL_BAD_PIXELFMT: s = "invalid pixel format"; break;
    case AGL_BAD_RENDINFO: s = "invalid renderer info"; break;
    case AGL_BAD_CONTEXT: s = "invalid context"; break;
    case AGL_BAD_DRAWABLE: s = "invalid drawable"; break;
    case AGL_BAD_GDEV: s = "invalid graphics device"; break;
    case AGL_BAD_STATE: s = "invalid context state"; break;
    case AGL_BAD_VALUE: s = "invalid numerical value"; break;
    case AGL_BAD_MATCH: s = "invalid share context"; break;
    case AGL_BAD_ENUM: s = "invalid enumerant"; break;
    case AGL_BAD_OFFSCREEN: s = "invalid offscreen drawable"; break;
    case AGL_BAD_FULLSCREEN: s = "invalid fullscreen drawable"; break;
    case AGL_BAD_WINDOW: s = "invalid window"; break;
    case AGL_BAD_POINTER: s = "invalid pointer"; break;
    case AGL_BAD_MODULE: s = "invalid code module"; break;
    case AGL_BAD_ALLOC: s = "memory allocation failure"; break;
    case AGL_BAD_CONNECTION: s = "no connection to the window server"; break;
    default: s = "unknown error"; break;
    }
    return reinterpret_cast<const GLubyte*>(s);
}
