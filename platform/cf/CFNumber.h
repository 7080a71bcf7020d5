// Numbers and Booleans.
#pragma once

#include "platform/cf/CFBase.h"

typedef CFIndex CFNumberType;
enum : CFNumberType {
    kCFNumberSInt8Type = 1,
    kCFNumberSInt16Type = 2,
    kCFNumberSInt32Type = 3,
    kCFNumberSInt64Type = 4,
    kCFNumberFloat32Type = 5,
    kCFNumberFloat64Type = 6,
    kCFNumberIntType = 9,
    kCFNumberLongType = 10,
    kCFNumberFloatType = 12,
    kCFNumberDoubleType = 13,
};

CFTypeID CFNumberGetTypeID();
CFNumberRef CFNumberCreate(CFAllocatorRef alloc, CFNumberType type, const void* valuePtr);
CFNumberType CFNumberGetType(CFNumberRef n);
Boolean CFNumberIsFloatType(CFNumberRef n);
// Converts to the asked type; false when the conversion is lossy (the value is still stored).
Boolean CFNumberGetValue(CFNumberRef n, CFNumberType type, void* valuePtr);

CFTypeID CFBooleanGetTypeID();
extern const CFBooleanRef kCFBooleanTrue;
extern const CFBooleanRef kCFBooleanFalse;
Boolean CFBooleanGetValue(CFBooleanRef b);
