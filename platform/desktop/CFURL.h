// URLs: file URLs for bundle resources and plain URL strings for web pages. Immutable; any thread.
#pragma once

#include "platform/cf/CFBase.h"

typedef const struct __CFURL* CFURLRef;

typedef CFIndex CFURLPathStyle;
enum : CFURLPathStyle {
    kCFURLPOSIXPathStyle = 0,
};

CFTypeID CFURLGetTypeID();
// Null unless the string has a scheme ("scheme:..."). "file://" URLs name local paths.
CFURLRef CFURLCreateWithString(CFAllocatorRef alloc, CFStringRef urlString, CFURLRef baseURL);
// An absolute POSIX path becomes a "file://" URL (relative paths are taken from the working
// directory). Only the POSIX style exists.
CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef alloc, CFStringRef filePath, CFURLPathStyle pathStyle,
                                       Boolean isDirectory);
CFStringRef CFURLGetString(CFURLRef url);  // not retained
// The path of a file URL (percent escapes decoded); null for other schemes.
CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle pathStyle);
// The path as a C string; false for other schemes or when it does not fit.
Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, UInt8* buffer, CFIndex maxBufLen);
CFStringRef CFURLCopyScheme(CFURLRef url);
