// Reference-counted platform objects: the base calls and the opaque reference types.
#pragma once

#include "platform/cf/MacTypes.h"

typedef long CFIndex;
typedef unsigned long CFTypeID;
typedef unsigned long CFHashCode;
typedef const void* CFTypeRef;
typedef CFTypeRef CFPropertyListRef;

typedef const struct __CFString* CFStringRef;
typedef struct __CFString* CFMutableStringRef;
typedef const struct __CFNumber* CFNumberRef;
typedef const struct __CFBoolean* CFBooleanRef;
typedef const struct __CFData* CFDataRef;
typedef struct __CFData* CFMutableDataRef;
typedef const struct __CFArray* CFArrayRef;
typedef struct __CFArray* CFMutableArrayRef;
typedef const struct __CFDictionary* CFDictionaryRef;
typedef struct __CFDictionary* CFMutableDictionaryRef;
typedef const struct __CFAllocator* CFAllocatorRef;

struct CFRange {
    CFIndex location;
    CFIndex length;
};
inline CFRange CFRangeMake(CFIndex location, CFIndex length) { return CFRange{location, length}; }

// Only the default allocator exists; these name it.
extern const CFAllocatorRef kCFAllocatorDefault;
extern const CFAllocatorRef kCFAllocatorNull;

CFTypeRef CFRetain(CFTypeRef cf);
void CFRelease(CFTypeRef cf);
CFIndex CFGetRetainCount(CFTypeRef cf);
CFTypeID CFGetTypeID(CFTypeRef cf);
Boolean CFEqual(CFTypeRef a, CFTypeRef b);
CFHashCode CFHash(CFTypeRef cf);

// Objects alive in this process (constant strings and the Boolean singletons excluded):
// tests use it to find leaks.
long CFLiveObjectCount();

// Keeps one reference and releases it when it goes out of scope or is replaced.
template <typename Ref>
class CFRef {
public:
    CFRef() = default;
    explicit CFRef(Ref r) : mRef(r) {}  // adopts a reference the caller owns
    CFRef(const CFRef& o) : mRef(o.mRef) { if (mRef) CFRetain(mRef); }
    CFRef(CFRef&& o) noexcept : mRef(o.mRef) { o.mRef = nullptr; }
    ~CFRef() { if (mRef) CFRelease(mRef); }
    CFRef& operator=(CFRef o) noexcept
    {
        Ref t = mRef;
        mRef = o.mRef;
        o.mRef = t;
        return *this;
    }
    static CFRef Retained(Ref r)
    {
        if (r) CFRetain(r);
        return CFRef(r);
    }
    Ref get() const { return mRef; }
    operator Ref() const { return mRef; }
    explicit operator bool() const { return mRef != nullptr; }
    Ref release()
    {
        Ref r = mRef;
        mRef = nullptr;
        return r;
    }
    void reset(Ref r = nullptr) { *this = CFRef(r); }
    Ref* adopt()  // for calls that hand out a retained reference through a pointer
    {
        reset();
        return &mRef;
    }

private:
    Ref mRef = nullptr;
};
