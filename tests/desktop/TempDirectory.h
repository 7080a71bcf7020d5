// A fresh directory under /tmp for one test, removed with everything in it afterwards.
#pragma once

#include <ftw.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

class TempDirectory {
public:
    TempDirectory()
    {
        char pattern[] = "/tmp/flummel-test-XXXXXX";
        if (char* p = mkdtemp(pattern)) mPath = p;
    }
    ~TempDirectory()
    {
        if (!mPath.empty())
            nftw(mPath.c_str(), [](const char* p, const struct stat*, int, FTW*) { return std::remove(p); }, 16,
                 FTW_DEPTH | FTW_PHYS);
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::string& Path() const { return mPath; }
    std::string operator/(const std::string& name) const { return mPath + "/" + name; }

    // Writes `bytes` to the file `name` (relative to the directory); false on failure.
    bool Write(const std::string& name, const std::string& bytes) const
    {
        FILE* f = std::fopen((*this / name).c_str(), "wb");
        if (!f) return false;
        bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        return std::fclose(f) == 0 && ok;
    }

private:
    std::string mPath;
};
