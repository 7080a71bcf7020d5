// OpenGL contexts on GLX, with the calls of the editor's context layer: pixel formats, on-screen
// contexts drawing into a window (optionally restricted to a buffer rectangle), and offscreen
// contexts rendering into caller memory. Every context lives on one X connection of its own,
// separate from the windows', so render threads never share Xlib state with the main thread.
// A context is current on at most one thread; any thread may create, use and destroy contexts.
#pragma once

#include <GL/gl.h>

#include "platform/desktop/DesktopTypes.h"

typedef struct OpaqueAGLPixelFormat* AGLPixelFormat;
typedef struct OpaqueAGLContext* AGLContext;
typedef CGrafPtr AGLDrawable;
typedef void* AGLDevice;

// Attributes (a list of these, some followed by a value, ended by AGL_NONE).
enum : GLint {
    AGL_NONE = 0,
    AGL_ALL_RENDERERS = 1,
    AGL_BUFFER_SIZE = 2,
    AGL_LEVEL = 3,
    AGL_RGBA = 4,
    AGL_DOUBLEBUFFER = 5,
    AGL_STEREO = 6,
    AGL_AUX_BUFFERS = 7,
    AGL_RED_SIZE = 8,
    AGL_GREEN_SIZE = 9,
    AGL_BLUE_SIZE = 10,
    AGL_ALPHA_SIZE = 11,
    AGL_DEPTH_SIZE = 12,
    AGL_STENCIL_SIZE = 13,
    AGL_PIXEL_SIZE = 50,
    AGL_OFFSCREEN = 53,
    AGL_ACCELERATED = 73,
    // Byte order of the pixels an offscreen context writes into caller memory (followed by one
    // of AGL_BYTES_*); AGL_BYTES_ARGB when absent.
    AGL_OFFSCREEN_BYTE_ORDER = 400,
};
enum : GLint {
    AGL_BYTES_ARGB = 1,
    AGL_BYTES_RGBA = 2,
    AGL_BYTES_BGRA = 3,
    AGL_BYTES_ABGR = 4,
};

// Context options.
enum : GLenum {
    AGL_SWAP_RECT = 200,
    AGL_BUFFER_RECT = 202,  // x, y from the bottom-left of the window, width, height
    AGL_SWAP_INTERVAL = 222,
};

// Errors.
enum : GLenum {
    AGL_NO_ERROR = 0,
    AGL_BAD_ATTRIBUTE = 10000,
    AGL_BAD_PROPERTY = 10001,
    AGL_BAD_PIXELFMT = 10002,
    AGL_BAD_RENDINFO = 10003,
    AGL_BAD_CONTEXT = 10004,
    AGL_BAD_DRAWABLE = 10005,
    AGL_BAD_GDEV = 10006,
    AGL_BAD_STATE = 10007,
    AGL_BAD_VALUE = 10008,
    AGL_BAD_MATCH = 10009,
    AGL_BAD_ENUM = 10010,
    AGL_BAD_OFFSCREEN = 10011,
    AGL_BAD_FULLSCREEN = 10012,
    AGL_BAD_WINDOW = 10013,
    AGL_BAD_POINTER = 10014,
    AGL_BAD_MODULE = 10015,
    AGL_BAD_ALLOC = 10016,
    AGL_BAD_CONNECTION = 10017,
};

// Null (and AGL_BAD_PIXELFMT, or AGL_BAD_CONNECTION without a display) when nothing matches.
AGLPixelFormat aglChoosePixelFormat(const AGLDevice* gdevs, GLint ndev, const GLint* attribs);
void aglDestroyPixelFormat(AGLPixelFormat pix);
GLboolean aglDescribePixelFormat(AGLPixelFormat pix, GLint attrib, GLint* value);

AGLContext aglCreateContext(AGLPixelFormat pix, AGLContext share);
GLboolean aglDestroyContext(AGLContext ctx);  // also releases it if it is current on this thread
GLboolean aglSetCurrentContext(AGLContext ctx);  // null: no context current on this thread
AGLContext aglGetCurrentContext();

// Attaches an on-screen context to a window port (null detaches). The context draws into a GL
// child window that covers the window's content, or the buffer rectangle when that is enabled.
GLboolean aglSetDrawable(AGLContext ctx, AGLDrawable drawable);
AGLDrawable aglGetDrawable(AGLContext ctx);
GLboolean aglSetWindowRef(AGLContext ctx, WindowRef window);
// Applies a changed window size or buffer rectangle to the drawable.
GLboolean aglUpdateContext(AGLContext ctx);
// Shows the back buffer of an on-screen context. For an offscreen context: copies the picture
// into the caller's memory (as also happens when it stops being current).
GLboolean aglSwapBuffers(AGLContext ctx);

GLboolean aglSetInteger(AGLContext ctx, GLenum pname, const GLint* params);
GLboolean aglGetInteger(AGLContext ctx, GLenum pname, GLint* params);
GLboolean aglEnable(AGLContext ctx, GLenum pname);
GLboolean aglDisable(AGLContext ctx, GLenum pname);
GLboolean aglIsEnabled(AGLContext ctx, GLenum pname);

// Offscreen contexts render a width x height picture with 8-bit alpha (and a 24-bit depth
// buffer when the format asked for depth) into a framebuffer object that stays bound while the
// context is current; it lands in `baseaddr` (rows of `rowbytes` bytes, the first row at the
// top, pixels in the format's byte order) whenever the context stops being current, is
// swapped, or is detached.
GLboolean aglSetOffScreen(AGLContext ctx, GLsizei width, GLsizei height, GLsizei rowbytes, GLvoid* baseaddr);

// The last error of the calling thread; reading it clears it.
GLenum aglGetError();
const GLubyte* aglErrorString(GLenum code);
