// The picture of an offscreen GL context: a framebuffer object of the caller's size (colour
// with alpha, optional depth and stencil), read back into caller memory in a chosen byte order.
// Private to the GL context layer. Every call needs the owning context current.
#pragma once

#include <GL/gl.h>

#include "platform/cf/MacTypes.h"

class GLOffscreenTarget {
public:
    enum ByteOrder { ARGB = 1, RGBA = 2, BGRA = 3, ABGR = 4 };

    // Makes the framebuffer width x height and binds it; on a new one the viewport and scissor
    // box cover it, as for a fresh drawable. False when the GL lacks framebuffer objects or
    // cannot make one.
    bool Bind(GLsizei width, GLsizei height, bool depth, bool stencil);
    // Copies the picture into `base` (rows of `rowBytes`, the first row at the top), touching
    // only width x 4 bytes of each row.
    void CopyOut(UInt8* base, GLsizei rowBytes, int byteOrder) const;
    // Deletes the framebuffer (the context must still be current).
    void Release();

private:
    GLuint mFramebuffer = 0;
    GLuint mColour = 0;
    GLuint mDepth = 0;
    GLsizei mWidth = 0;
    GLsizei mHeight = 0;
    bool mHasDepth = false;
    bool mHasStencil = false;
};
