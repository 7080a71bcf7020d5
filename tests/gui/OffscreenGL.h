// A small offscreen GL context made current on the calling thread, with GUI units mapped 1:1 to
// its pixels, for drawing elements and effects and reading the picture back.
#pragma once

#include <GL/gl.h>

#include <vector>

#include "platform/desktop/GLContexts.h"

class OffscreenGL {
public:
    OffscreenGL(int width, int height) : mPixels(size_t(width) * height * 4)
    {
        const GLint attrs[] = {AGL_RGBA, AGL_DEPTH_SIZE, 0, AGL_OFFSCREEN, AGL_OFFSCREEN_BYTE_ORDER, AGL_BYTES_RGBA,
                               AGL_NONE};
        mFormat = aglChoosePixelFormat(nullptr, 0, attrs);
        if (mFormat) mContext = aglCreateContext(mFormat, nullptr);
        if (mContext && aglSetOffScreen(mContext, width, height, width * 4, mPixels.data()))
            aglSetCurrentContext(mContext);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, width, 0, height, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    ~OffscreenGL()
    {
        if (mContext) aglDestroyContext(mContext);
        if (mFormat) aglDestroyPixelFormat(mFormat);
    }
    OffscreenGL(const OffscreenGL&) = delete;
    OffscreenGL& operator=(const OffscreenGL&) = delete;

    bool Ready() const { return mContext && aglGetCurrentContext() == mContext; }
    void Clear()
    {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    // Copies the picture out (leaving the context current); rows from the top.
    const std::vector<unsigned char>& Read()
    {
        aglSwapBuffers(mContext);
        return mPixels;
    }

private:
    std::vector<unsigned char> mPixels;
    AGLPixelFormat mFormat = nullptr;
    AGLContext mContext = nullptr;
};
