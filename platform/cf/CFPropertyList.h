// XML property lists: the file form of saved states and preferences.
#pragma once

#include "platform/cf/CFBase.h"

typedef unsigned long CFOptionFlags;

// The standard XML text (no DOCTYPE line); null when the value holds something a property list
// cannot (a dictionary key that is not a string, an unknown object).
CFDataRef CFPropertyListCreateXMLData(CFAllocatorRef alloc, CFPropertyListRef plist);

// Parses XML text, with or without a DOCTYPE line. On malformed input returns null and, when
// errorString is given, a message naming the problem and its line (the caller releases it).
// Containers come back mutable when mutability is non-zero.
CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef alloc, CFDataRef xml, CFOptionFlags mutability,
                                                  CFStringRef* errorString);

// Writes atomically: a temporary file beside the target, flushed, then renamed over it.
// Returns 0, or an errno value.
int CFPropertyListWriteToFile(CFPropertyListRef plist, const char* path);
CFPropertyListRef CFPropertyListCreateFromFile(const char* path, CFStringRef* errorString);
