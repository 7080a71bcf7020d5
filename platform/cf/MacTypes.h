// Basic scalar types and status codes shared by every platform interface.
#pragma once

#include <cstdint>

typedef uint8_t UInt8;
typedef int8_t SInt8;
typedef uint16_t UInt16;
typedef int16_t SInt16;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef uint64_t UInt64;
typedef int64_t SInt64;
typedef float Float32;
typedef double Float64;
typedef unsigned char Boolean;
typedef SInt32 OSStatus;
typedef SInt16 OSErr;
typedef UInt32 FourCharCode;
typedef FourCharCode OSType;
typedef UInt8 Byte;
typedef char* Ptr;
typedef Ptr* Handle;

enum : OSStatus {
    noErr = 0,
    paramErr = -50,
    memFullErr = -108,
};

// 'abcd' as the 32-bit number whose most significant byte is 'a'.
constexpr FourCharCode FourCC(const char (&s)[5])
{
    return (FourCharCode(UInt8(s[0])) << 24) | (FourCharCode(UInt8(s[1])) << 16) |
           (FourCharCode(UInt8(s[2])) << 8) | FourCharCode(UInt8(s[3]));
}
