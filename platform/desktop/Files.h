// File access for resource files: references to existing files, their catalogue sizes, and
// reading their data forks (the plain file contents); the current resource file marker. Any thread.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/desktop/CFURL.h"
#include "platform/desktop/DesktopTypes.h"

enum : OSErr {
    eofErr = -39,
    rfNumErr = -51,
    permErr = -54,
    ioErr = -36,
    posErr = -40,
    tmfoErr = -42,
    afpAccessDenied = -5000,
    errFSForkNotFound = -1409,
};

// Names an existing file or directory (by its absolute path).
struct FSRef {
    char path[4096];
};
// The same, in the older form some calls take.
struct FSSpec {
    char path[4096];
};

typedef UInt16 UniChar;
typedef unsigned long UniCharCount;
struct HFSUniStr255 {
    UInt16 length;
    UniChar unicode[255];
};

typedef SInt16 FSIORefNum;
typedef UInt32 FSCatalogInfoBitmap;
enum : FSCatalogInfoBitmap {
    kFSCatInfoNone = 0,
    kFSCatInfoNodeFlags = 0x00000002,
    kFSCatInfoDataSizes = 0x00004000,
};
enum : UInt16 {
    kFSNodeIsDirectoryMask = 0x0010,
};
struct FSCatalogInfo {
    UInt16 nodeFlags;
    UInt64 dataLogicalSize;
    UInt64 dataPhysicalSize;
};

enum : SInt8 {
    fsCurPerm = 0,
    fsRdPerm = 1,
};
enum : UInt16 {
    fsAtMark = 0,
    fsFromStart = 1,
    fsFromLEOF = 2,
    fsFromMark = 3,
};

// False unless the URL is a file URL of something that exists.
Boolean CFURLGetFSRef(CFURLRef url, FSRef* fsRef);
CFURLRef CFURLCreateFromFSRef(CFAllocatorRef alloc, const FSRef* fsRef);
// Any of the out-parameters may be null. fnfErr when the file has gone.
OSErr FSGetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, FSCatalogInfo* catalogInfo,
                       HFSUniStr255* outName, FSSpec* fsSpec, FSRef* parentRef);
OSErr FSGetDataForkName(HFSUniStr255* dataForkName);  // the empty name
// Only the data fork (the empty name) exists, and only for reading.
OSErr FSOpenFork(const FSRef* ref, UniCharCount forkNameLength, const UniChar* forkName, SInt8 permissions,
                 FSIORefNum* forkRefNum);
// eofErr when fewer than `requestCount` bytes were left (`actualCount` tells how many came).
OSErr FSReadFork(FSIORefNum forkRefNum, UInt16 positionMode, SInt64 positionOffset, ByteCount requestCount,
                 void* buffer, ByteCount* actualCount);
OSErr FSCloseFork(FSIORefNum forkRefNum);

// Ours, for the readers of resource files: the whole contents of the regular file at `path`.
// 0, or an errno value: EFBIG when it holds more than `limit` bytes, EISDIR for a directory or
// anything else that is not a regular file.
int ReadWholeFile(const char* path, size_t limit, std::vector<UInt8>& out);

// The current resource file: a number the caller remembers and restores; nothing is read from it.
typedef SInt16 ResFileRefNum;
ResFileRefNum CurResFile();
void UseResFile(ResFileRefNum refNum);
