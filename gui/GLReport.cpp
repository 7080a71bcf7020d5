#include "gui/GLReport.h"

#include <GL/glu.h>

#include <cstdio>

#include "platform/desktop/GLContexts.h"

namespace TW {

GLenum aglReportError()
{
    GLenum err = aglGetError();
    if (err != AGL_NO_ERROR) std::printf("AGL: %s\n", reinterpret_cast<const char*>(aglErrorString(err)));
    return err;
}

GLenum glReportError(const char* where)
{
    GLenum err = glGetError();
    if (err != GL_NO_ERROR) std::printf("GL (%s): %s\n", where, reinterpret_cast<const char*>(gluErrorString(err)));
    return err;
}

}  // namespace TW
