// The bundle by identifier, its resource URLs, reading resource files as the toolkit does, file URLs.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/cf/CFString.h"
#include "platform/desktop/CFBundle.h"
#include "platform/desktop/CFURL.h"
#include "platform/desktop/Files.h"
#include "tests/desktop/ScopedEnvironment.h"
#include "tests/desktop/TempDirectory.h"

namespace {

CFBundleRef TheBundle() { return CFBundleGetBundleWithIdentifier(CFSTR("com.TrWk.test.Flml")); }

std::string PathOf(CFURLRef url)
{
    char buf[4096];
    if (!url || !CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<UInt8*>(buf), sizeof buf)) return "";
    return buf;
}

std::string ResourcePath(const char* name, CFStringRef type = nullptr, CFStringRef sub = nullptr)
{
    CFRef<CFStringRef> n(CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8));
    CFRef<CFURLRef> url(CFBundleCopyResourceURL(TheBundle(), n, type, sub));
    return url ? PathOf(url) : "(none)";
}

// The toolkit's file loader: size from the catalogue, then the whole data fork.
bool ReadResource(const char* name, std::vector<UInt8>& out)
{
    CFRef<CFStringRef> n(CFStringCreateWithCString(nullptr, name, kCFStringEncodingASCII));
    CFRef<CFURLRef> url(CFBundleCopyResourceURL(TheBundle(), n, nullptr, nullptr));
    FSRef ref;
    if (!url || !CFURLGetFSRef(url, &ref)) return false;
    FSCatalogInfo info{};
    if (FSGetCatalogInfo(&ref, kFSCatInfoDataSizes, &info, nullptr, nullptr, nullptr) != noErr) return false;
    out.assign(size_t(info.dataLogicalSize), 0);
    HFSUniStr255 fork;
    FSGetDataForkName(&fork);
    FSIORefNum refNum = 0;
    if (FSOpenFork(&ref, fork.length, fork.unicode, fsRdPerm, &refNum) != noErr) return false;
    ByteCount got = 0;
    OSErr r = FSReadFork(refNum, fsFromStart, 0, out.size(), out.data(), &got);
    FSCloseFork(refNum);
    return r == noErr && got == out.size();
}

}  // namespace

TEST(Bundle, OnlyTheKnownIdentifierFindsTheBundleAndItsResourcesDirectory)
{
    CFBundleRef b = TheBundle();
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(CFEqual(CFBundleGetIdentifier(b), CFSTR("com.TrWk.test.Flml")));
    EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.TrWk.test.flml")), nullptr);
    EXPECT_EQ(CFBundleGetBundleWithIdentifier(nullptr), nullptr);
    CFRelease(b);  // lives for the whole process: a stray release does not destroy it
    EXPECT_TRUE(TheBundle() == b && CFEqual(CFBundleGetIdentifier(b), CFSTR("com.TrWk.test.Flml")));

    TempDirectory dir;
    ASSERT_TRUE(dir.Write("knobshader.txt", "!!ARBvp1.0\nEND\n"));
    ASSERT_EQ(mkdir((dir / "images").c_str(), 0755), 0);
    ASSERT_TRUE(dir.Write("images/disc.png", "x"));
    ASSERT_TRUE(dir.Write("secret", "outside"));
    ScopedEnvironment env("FLUMMEL_RESOURCES", (dir.Path() + "/").c_str());

    CFRef<CFURLRef> base(CFBundleCopyResourcesDirectoryURL(TheBundle()));
    EXPECT_EQ(PathOf(base), dir.Path() + "/");
    EXPECT_EQ(ResourcePath("knobshader.txt"), dir / "knobshader.txt");
    EXPECT_EQ(ResourcePath("knobshader", CFSTR("txt")), dir / "knobshader.txt");
    EXPECT_EQ(ResourcePath("knobshader.txt", CFSTR("")), dir / "knobshader.txt");
    EXPECT_EQ(ResourcePath("disc.png", nullptr, CFSTR("images")), dir / "images/disc.png");
    EXPECT_EQ(ResourcePath("disc.png"), "(none)");  // not searched for in subdirectories
    EXPECT_EQ(ResourcePath("knobshader", CFSTR("png")), "(none)");
    EXPECT_EQ(ResourcePath(""), "(none)");
    EXPECT_EQ(ResourcePath("../secret", nullptr, CFSTR("images")), "(none)");
    EXPECT_EQ(ResourcePath("secret", nullptr, CFSTR("images/..")), "(none)");
    CFRef<CFURLRef> none(CFBundleCopyResourceURL(nullptr, CFSTR("knobshader.txt"), nullptr, nullptr));
    EXPECT_FALSE(none);
    ScopedEnvironment installed("FLUMMEL_RESOURCES", nullptr);  // the installed resources
    EXPECT_NE(ResourcePath("windows", CFSTR("interface")).find("/resources/windows.interface"), std::string::npos);
}

TEST(ResourceFiles, AFileIsReadWholeThroughItsDataFork)
{
    TempDirectory dir;
    std::string text(70000, '\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = char(i * 7);
    ASSERT_TRUE(dir.Write("blob.bin", text));
    ASSERT_TRUE(dir.Write("empty", ""));
    ScopedEnvironment env("FLUMMEL_RESOURCES", dir.Path().c_str());

    std::vector<UInt8> data;
    ASSERT_TRUE(ReadResource("blob.bin", data));
    EXPECT_EQ(std::string(data.begin(), data.end()), text);
    ASSERT_TRUE(ReadResource("empty", data));
    EXPECT_TRUE(data.empty());
    EXPECT_FALSE(ReadResource("missing.bin", data));
}

TEST(URLs, FileURLsCarryEscapedPaths)
{
    long before = CFLiveObjectCount();
    {
        CFRef<CFURLRef> file(CFURLCreateWithFileSystemPath(nullptr, CFSTR("/tmp/a b%c"), kCFURLPOSIXPathStyle, false));
        EXPECT_TRUE(CFEqual(CFURLGetString(file), CFSTR("file:///tmp/a%20b%25c")));
        CFRef<CFURLRef> parsed(CFURLCreateWithString(nullptr, CFSTR("file:///tmp/a%20b%25c"), nullptr));
        EXPECT_TRUE(CFEqual(file, parsed));
        CFRef<CFStringRef> path(CFURLCopyFileSystemPath(parsed, kCFURLPOSIXPathStyle));
        EXPECT_TRUE(CFEqual(path, CFSTR("/tmp/a b%c")));
    }
    EXPECT_EQ(CFLiveObjectCount(), before);
}
