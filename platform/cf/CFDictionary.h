// Key-value maps, with or without retain callbacks.
#pragma once

#include "platform/cf/CFBase.h"

typedef const void* (*CFDictionaryRetainCallBack)(CFAllocatorRef allocator, const void* value);
typedef void (*CFDictionaryReleaseCallBack)(CFAllocatorRef allocator, const void* value);
typedef CFStringRef (*CFDictionaryCopyDescriptionCallBack)(const void* value);
typedef Boolean (*CFDictionaryEqualCallBack)(const void* a, const void* b);
typedef CFHashCode (*CFDictionaryHashCallBack)(const void* value);
struct CFDictionaryKeyCallBacks {
    CFIndex version;
    CFDictionaryRetainCallBack retain;
    CFDictionaryReleaseCallBack release;
    CFDictionaryCopyDescriptionCallBack copyDescription;
    CFDictionaryEqualCallBack equal;
    CFDictionaryHashCallBack hash;
};
struct CFDictionaryValueCallBacks {
    CFIndex version;
    CFDictionaryRetainCallBack retain;
    CFDictionaryReleaseCallBack release;
    CFDictionaryCopyDescriptionCallBack copyDescription;
    CFDictionaryEqualCallBack equal;
};
// Retain keys and values, compare and hash keys with CFEqual and CFHash.
extern const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks;
extern const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks;

CFTypeID CFDictionaryGetTypeID();
// Null callbacks: keys and values are stored as they are and keys compared by address.
CFDictionaryRef CFDictionaryCreate(CFAllocatorRef alloc, const void** keys, const void** values, CFIndex count,
                                   const CFDictionaryKeyCallBacks* keyCallBacks,
                                   const CFDictionaryValueCallBacks* valueCallBacks);
CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef alloc, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks);
CFIndex CFDictionaryGetCount(CFDictionaryRef d);
const void* CFDictionaryGetValue(CFDictionaryRef d, const void* key);
Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef d, const void* key, const void** value);
Boolean CFDictionaryContainsKey(CFDictionaryRef d, const void* key);
// Keys and values in insertion order (either pointer may be null).
void CFDictionaryGetKeysAndValues(CFDictionaryRef d, const void** keys, const void** values);
void CFDictionarySetValue(CFMutableDictionaryRef d, const void* key, const void* value);
void CFDictionaryAddValue(CFMutableDictionaryRef d, const void* key, const void* value);  // only when absent
void CFDictionaryRemoveValue(CFMutableDictionaryRef d, const void* key);
