// Framebuffer objects through the entry points the GL reports at run time.
#include "platform/desktop/GLOffscreenTarget.h"

#include <GL/glext.h>

#include <mutex>
#include <vector>

#include "platform/desktop/GLProcedures.h"

namespace {

struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    bool complete = false;
};

const FramebufferCalls& Calls()
{
    static FramebufferCalls c;
    static std::once_flag once;
    std::call_once(once, [] {
        LoadGLProcedure(c.genFramebuffers, "glGenFramebuffers");
        LoadGLProcedure(c.deleteFramebuffers, "glDeleteFramebuffers");
        LoadGLProcedure(c.bindFramebuffer, "glBindFramebuffer");
        LoadGLProcedure(c.framebufferRenderbuffer, "glFramebufferRenderbuffer");
        LoadGLProcedure(c.checkFramebufferStatus, "glCheckFramebufferStatus");
        LoadGLProcedure(c.genRenderbuffers, "glGenRenderbuffers");
        LoadGLProcedure(c.deleteRenderbuffers, "glDeleteRenderbuffers");
        LoadGLProcedure(c.bindRenderbuffer, "glBindRenderbuffer");
        LoadGLProcedure(c.renderbufferStorage, "glRenderbufferStorage");
        c.complete = c.genFramebuffers && c.deleteFramebuffers && c.bindFramebuffer && c.framebufferRenderbuffer &&
                     c.checkFramebufferStatus && c.genRenderbuffers && c.deleteRenderbuffers && c.bindRenderbuffer &&
                     c.renderbufferStorage;
    });
    return c;
}

}  // namespace

bool GLOffscreenTarget::Bind(GLsizei width, GLsizei height, bool depth, bool stencil)
{
    const FramebufferCalls& gl = Calls();
    if (!gl.complete) return false;
    if (mFramebuffer && width == mWidth && height == mHeight && depth == mHasDepth && stencil == mHasStencil) {
        gl.bindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
        return true;
    }
    Release();
    gl.genFramebuffers(1, &mFramebuffer);
    gl.bindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
    gl.genRenderbuffers(1, &mColour);
    gl.bindRenderbuffer(GL_RENDERBUFFER, mColour);
    gl.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, mColour);
    if (depth || stencil) {
        gl.genRenderbuffers(1, &mDepth);
        gl.bindRenderbuffer(GL_RENDERBUFFER, mDepth);
        gl.renderbufferStorage(GL_RENDERBUFFER, stencil ? GL_DEPTH24_STENCIL8 : GL_DEPTH_COMPONENT24, width, height);
        if (depth) gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, mDepth);
        if (stencil) gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, mDepth);
    }
    gl.bindRenderbuffer(GL_RENDERBUFFER, 0);
    if (gl.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        Release();
        return false;
    }
    mWidth = width;
    mHeight = height;
    mHasDepth = depth;
    mHasStencil = stencil;
    glViewport(0, 0, width, height);
    glScissor(0, 0, width, height);
    return true;
}

void GLOffscreenTarget::CopyOut(UInt8* base, GLsizei rowBytes, int byteOrder) const
{
    if (!mFramebuffer || !base) return;
    std::vector<UInt8> rgba(size_t(mWidth) * size_t(mHeight) * 4);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    Calls().bindFramebuffer(GL_READ_FRAMEBUFFER, mFramebuffer);
    glReadPixels(0, 0, mWidth, mHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glPopClientAttrib();
    int order[4];  // destination byte i takes source channel order[i] (0 r, 1 g, 2 b, 3 a)
    switch (byteOrder) {
    case RGBA: order[0] = 0, order[1] = 1, order[2] = 2, order[3] = 3; break;
    case BGRA: order[0] = 2, order[1] = 1, order[2] = 0, order[3] = 3; break;
    case ABGR: order[0] = 3, order[1] = 2, order[2] = 1, order[3] = 0; break;
    default: order[0] = 3, order[1] = 0, order[2] = 1, order[3] = 2; break;
    }
    // GL rows run bottom-up; the caller's first row is the top of the picture.
    for (GLsizei row = 0; row < mHeight; ++row) {
        const UInt8* src = rgba.data() + size_t(mHeight - 1 - row) * size_t(mWidth) * 4;
        UInt8* dst = base + size_t(row) * size_t(rowBytes);
        for (GLsizei x = 0; x < mWidth; ++x, src += 4, dst += 4)
            for (int i = 0; i < 4; ++i) dst[i] = src[order[i]];
    }
}

void GLOffscreenTarget::Release()
{
    const FramebufferCalls& gl = Calls();
    if (!gl.complete) return;
    if (mFramebuffer) {
        gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
        gl.deleteFramebuffers(1, &mFramebuffer);
    }
    if (mColour) gl.deleteRenderbuffers(1, &mColour);
    if (mDepth) gl.deleteRenderbuffers(1, &mDepth);
    mFramebuffer = mColour = mDepth = 0;
    mWidth = mHeight = 0;
}
