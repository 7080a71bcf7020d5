// Immutable Unicode strings, stored as UTF-8.
#pragma once

#include <string>

#include "platform/cf/CFBase.h"

typedef UInt32 CFStringEncoding;
enum : CFStringEncoding {
    kCFStringEncodingMacRoman = 0,
    kCFStringEncodingASCII = 0x0600,
    kCFStringEncodingUTF8 = 0x08000100,
};

typedef UInt32 CFStringCompareFlags;
enum : CFStringCompareFlags {
    kCFCompareCaseInsensitive = 1,
};
typedef CFIndex CFComparisonResult;

CFTypeID CFStringGetTypeID();
// Null when the bytes are not valid in the encoding (ASCII above 127, malformed UTF-8).
CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding);
CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation);
CFStringRef CFStringCreateWithFormat(CFAllocatorRef alloc, CFDictionaryRef formatOptions, CFStringRef format, ...);
CFStringRef CFStringCreateCopy(CFAllocatorRef alloc, CFStringRef s);
CFIndex CFStringGetLength(CFStringRef s);  // in UTF-16 units
// False (and buffer[0] = 0 when size > 0) when the text with its terminator does not fit or
// cannot be expressed in the encoding.
Boolean CFStringGetCString(CFStringRef s, char* buffer, CFIndex bufferSize, CFStringEncoding encoding);
// The stored UTF-8 text when the encoding is UTF-8 or the text is ASCII; else null.
const char* CFStringGetCStringPtr(CFStringRef s, CFStringEncoding encoding);
// Ours, for C++ callers: the string's UTF-8 text; empty for null or a non-string object.
std::string CFStringToUTF8(CFStringRef s);
CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding);
SInt32 CFStringGetIntValue(CFStringRef s);
CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFStringCompareFlags options);

// A constant string: never freed, retain and release do nothing. Same text, same object.
CFStringRef __CFStringMakeConstantString(const char* cStr);
#define CFSTR(s) __CFStringMakeConstantString("" s "")
