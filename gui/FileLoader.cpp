#include "gui/FileLoader.h"

#include <cstdio>

#include "platform/cf/CFString.h"
#include "platform/desktop/CFBundle.h"
#include "platform/desktop/Files.h"

namespace TW {

FileLoader::FileLoader(const char* name)
{
    CFBundleRef bundle = CFBundleGetBundleWithIdentifier(CFSTR("com.TrWk.test.Flml"));
    CFRef<CFStringRef> resource(CFStringCreateWithCString(nullptr, name, kCFStringEncodingASCII));
    if (!bundle || !resource) return;
    CFRef<CFURLRef> url(CFBundleCopyResourceURL(bundle, resource, nullptr, nullptr));
    FSRef ref;
    FSCatalogInfo info;
    if (!url || !CFURLGetFSRef(url, &ref) ||
        FSGetCatalogInfo(&ref, kFSCatInfoDataSizes, &info, nullptr, nullptr, nullptr) != noErr)
        return;
    if (info.dataLogicalSize > kMaxSize) {
        std::printf("FileLoader: %s is too large\n", name);
        return;
    }
    size = info.dataLogicalSize;
    data = new UInt8[size + 1];
    data[size] = 0;  // text can be read as a C string: some GL drivers read a program up to its 0 byte

    HFSUniStr255 fork;
    FSGetDataForkName(&fork);
    FSIORefNum file = 0;
    ByteCount got = 0;
    const bool opened = FSOpenFork(&ref, fork.length, fork.unicode, fsRdPerm, &file) == noErr;
    const bool read = opened && FSReadFork(file, fsFromStart, 0, size, data, &got) == noErr && got == size;
    if (opened) FSCloseFork(file);
    if (!read) {
        std::printf("FileLoader: can't read %s\n", name);
        delete[] data;
        data = nullptr;
        size = 0;
    }
}

FileLoader::~FileLoader()
{
    delete[] data;
}

}  // namespace TW
