// Windows built from interface resources: a bundle's "<name>.interface" file (see
// InterfaceDescription.h) read into a reference, from which named windows are made, hidden,
// with their standard controls, control IDs and command IDs. Hits on those controls arrive as
// kEventControlHit (class kEventClassControl) at the control and then the window. Main thread.
#pragma once

#include "platform/desktop/CFBundle.h"
#include "platform/desktop/Windows.h"

typedef struct OpaqueIBNibRef* IBNibRef;

enum : OSStatus {
    kIBCarbonRuntimeCantFindNibFile = -10960,
    kIBCarbonRuntimeCantFindObject = -10962,
    // The description is malformed or larger than 1 MiB; the file and the problem (with its
    // line) go to standard error.
    kDesktopInterfaceSyntaxErr = -5691,
};

OSStatus CreateNibReferenceWithCFBundle(CFBundleRef bundle, CFStringRef nibName, IBNibRef* outNibRef);
void DisposeNibReference(IBNibRef nibRef);
// kIBCarbonRuntimeCantFindObject when the reference has no window of that name; the display
// errors of CreateNewWindow when there is no X server.
OSStatus CreateWindowFromNib(IBNibRef nibRef, CFStringRef name, WindowRef* outWindow);
