// Byte blobs, immutable and mutable.
#pragma once

#include "platform/cf/CFBase.h"

CFTypeID CFDataGetTypeID();
CFDataRef CFDataCreate(CFAllocatorRef alloc, const UInt8* bytes, CFIndex length);
CFMutableDataRef CFDataCreateMutable(CFAllocatorRef alloc, CFIndex capacity);  // capacity 0: unlimited
CFMutableDataRef CFDataCreateMutableCopy(CFAllocatorRef alloc, CFIndex capacity, CFDataRef data);
CFIndex CFDataGetLength(CFDataRef data);
const UInt8* CFDataGetBytePtr(CFDataRef data);
UInt8* CFDataGetMutableBytePtr(CFMutableDataRef data);
void CFDataAppendBytes(CFMutableDataRef data, const UInt8* bytes, CFIndex length);
void CFDataSetLength(CFMutableDataRef data, CFIndex length);
