// Ordered collections of references, with or without element callbacks.
#pragma once

#include "platform/cf/CFBase.h"

typedef const void* (*CFArrayRetainCallBack)(CFAllocatorRef allocator, const void* value);
typedef void (*CFArrayReleaseCallBack)(CFAllocatorRef allocator, const void* value);
typedef CFStringRef (*CFArrayCopyDescriptionCallBack)(const void* value);
typedef Boolean (*CFArrayEqualCallBack)(const void* a, const void* b);
struct CFArrayCallBacks {
    CFIndex version;
    CFArrayRetainCallBack retain;
    CFArrayReleaseCallBack release;
    CFArrayCopyDescriptionCallBack copyDescription;
    CFArrayEqualCallBack equal;
};
// Retains on insert, releases on removal, compares with CFEqual.
extern const CFArrayCallBacks kCFTypeArrayCallBacks;

CFTypeID CFArrayGetTypeID();
// Null callbacks: values are stored as they are, never retained, compared by address.
CFArrayRef CFArrayCreate(CFAllocatorRef alloc, const void** values, CFIndex count, const CFArrayCallBacks* callBacks);
CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef alloc, CFIndex capacity, const CFArrayCallBacks* callBacks);
CFIndex CFArrayGetCount(CFArrayRef a);
const void* CFArrayGetValueAtIndex(CFArrayRef a, CFIndex index);
void CFArrayAppendValue(CFMutableArrayRef a, const void* value);
void CFArrayRemoveValueAtIndex(CFMutableArrayRef a, CFIndex index);
void CFArrayRemoveAllValues(CFMutableArrayRef a);
