// GL entry points that the GL library hands out only by name (extensions, and calls that
// GLVND's libOpenGL does not export). Any thread; null when the GL has no such call.
#pragma once

#include <GL/glx.h>

template <class F>
void LoadGLProcedure(F& f, const char* name)
{
    f = reinterpret_cast<F>(glXGetProcAddress(reinterpret_cast<const GLubyte*>(name)));
}
