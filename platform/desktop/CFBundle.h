// Bundles: a known identifier names a directory of resource files. The layer knows one bundle,
// whose identifier and default directory the build supplies; the environment variable
// FLUMMEL_RESOURCES, read at every lookup, points it elsewhere (tests, uninstalled runs).
// Any thread.
#pragma once

#include "platform/cf/CFBase.h"
#include "platform/desktop/CFURL.h"

typedef struct __CFBundle* CFBundleRef;

CFTypeID CFBundleGetTypeID();
// Null for an unknown identifier. The bundle lives as long as the process: not retained, and
// retaining or releasing it changes nothing.
CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID);
CFStringRef CFBundleGetIdentifier(CFBundleRef bundle);  // not retained
CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle);
// The file "name.type" (just "name" when the type is null or empty), in `subDirName` of the
// resources directory when given; null when no such file exists. Names that climb out of the
// directory ("..") find nothing.
CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName, CFStringRef resourceType,
                                 CFStringRef subDirName);
