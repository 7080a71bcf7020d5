// The whole contents of one resource file of the plug-in's bundle, read at construction.
#pragma once

#include "platform/cf/MacTypes.h"

namespace TW {

class FileLoader {
public:
    static constexpr UInt64 kMaxSize = UInt64(1) << 26;  // larger resources are refused

    explicit FileLoader(const char* name);
    ~FileLoader();
    FileLoader(const FileLoader&) = delete;
    FileLoader& operator=(const FileLoader&) = delete;

    UInt8* data = nullptr;  // owned, with a 0 byte after `size`; null when nothing was loaded
    UInt64 size = 0;
};

}  // namespace TW
