// Reporting of pending AGL and GL errors: printed, then otherwise ignored.
#pragma once

#include <GL/gl.h>

namespace TW {

// Prints "AGL: %s\n" for a pending AGL error and returns its code; 0 when there is none.
GLenum aglReportError();
// Prints "GL (%s): %s\n" with `where` for a pending GL error and returns its code; 0 when none.
GLenum glReportError(const char* where);

}  // namespace TW
