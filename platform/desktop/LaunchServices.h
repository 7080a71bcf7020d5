// Opening a URL with the user's preferred application, through the desktop's opener
// (xdg-open, found on PATH). Any thread; returns once the opener has started.
#pragma once

#include "platform/desktop/CFURL.h"

enum : OSStatus {
    kLSApplicationNotFoundErr = -10814,
};

// `outLaunchedURL` (may be null) gets null: the application is not known here.
OSStatus LSOpenCFURLRef(CFURLRef inURL, CFURLRef* outLaunchedURL);
