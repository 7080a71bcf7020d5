// The bundle by identifier, its resource URLs, and reading resource files as the toolkit does.
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
    EXPECT_EQ(TheBundle(), b);
    EXPECT_TRUE(CFEqual(CFBundleGetIdentifier(TheBundle()), CFSTR("com.TrWk.test.Flml")));

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

TEST(ResourceFiles, AFileIsReadWholeThroughItsDataForkAndReadsStopAtTheEnd)
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

    ASSERT_TRUE(dir.Write("ten", "0123456789"));
    CFRef<CFStringRef> p(CFStringCreateWithCString(nullptr, (dir / "ten").c_str(), kCFStringEncodingUTF8));
    CFRef<CFURLRef> url(CFURLCreateWithFileSystemPath(nullptr, p, kCFURLPOSIXPathStyle, false));
    FSRef ref;
    ASSERT_TRUE(CFURLGetFSRef(url, &ref));
    FSCatalogInfo info{};
    HFSUniStr255 name;
    ASSERT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoNodeFlags, &info, &name, nullptr, nullptr), noErr);
    EXPECT_EQ(info.nodeFlags & kFSNodeIsDirectoryMask, 0);
    FSIORefNum fork = 0;
    EXPECT_EQ(FSOpenFork(&ref, name.length, name.unicode, fsRdPerm, &fork), OSErr(errFSForkNotFound));  // no others
    ASSERT_EQ(FSOpenFork(&ref, 0, nullptr, fsRdPerm, &fork), noErr);
    char buf[16] = {};
    ByteCount got = 0;
    EXPECT_EQ(FSReadFork(fork, fsFromStart, 6, 8, buf, &got), OSErr(eofErr));
    EXPECT_EQ(std::string(buf, got), "6789");
    EXPECT_EQ(FSReadFork(fork, fsFromStart, 0, 3, buf, &got), noErr);
    EXPECT_EQ(FSReadFork(fork, fsAtMark, 0, 3, buf, &got), noErr);  // carries on where the last read ended
    EXPECT_EQ(std::string(buf, got), "345");
    EXPECT_EQ(FSCloseFork(fork), noErr);
    EXPECT_EQ(FSReadFork(fork, fsFromStart, 0, 1, buf, &got), OSErr(rfNumErr));
    EXPECT_EQ(FSCloseFork(fork), OSErr(rfNumErr));
    std::remove((dir / "ten").c_str());  // the reference goes stale
    EXPECT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoDataSizes, &info, nullptr, nullptr, nullptr), OSErr(fnfErr));
    EXPECT_FALSE(CFURLGetFSRef(url, &ref));
}

TEST(URLs, FileURLsCarryEscapedPathsAndOtherSchemesNone)
{
    long before = CFLiveObjectCount();
    {
        CFRef<CFURLRef> file(
            CFURLCreateWithFileSystemPath(nullptr, CFSTR("/tmp/a b%c"), kCFURLPOSIXPathStyle, false));
        ASSERT_TRUE(file);
        EXPECT_TRUE(CFEqual(CFURLGetString(file), CFSTR("file:///tmp/a%20b%25c")));
        CFRef<CFURLRef> parsed(CFURLCreateWithString(nullptr, CFSTR("file:///tmp/a%20b%25c"), nullptr));
        EXPECT_TRUE(CFEqual(file, parsed));
        CFRef<CFStringRef> path(CFURLCopyFileSystemPath(parsed, kCFURLPOSIXPathStyle));
        EXPECT_TRUE(CFEqual(path, CFSTR("/tmp/a b%c")));

        CFRef<CFURLRef> web(CFURLCreateWithString(nullptr, CFSTR("https://example.org/page?q=1"), nullptr));
        ASSERT_TRUE(web);
        CFRef<CFStringRef> scheme(CFURLCopyScheme(web));
        EXPECT_TRUE(CFEqual(scheme, CFSTR("https")));
        CFRef<CFStringRef> none(CFURLCopyFileSystemPath(web, kCFURLPOSIXPathStyle));
        EXPECT_FALSE(none);
        UInt8 buf[64];
        EXPECT_FALSE(CFURLGetFileSystemRepresentation(web, true, buf, sizeof buf));
        EXPECT_FALSE(CFURLGetFileSystemRepresentation(file, true, buf, 5));  // does not fit

        for (CFStringRef bad : {CFSTR("no scheme here"), CFSTR(":x"), CFSTR("file://elsewhere/tmp"),
                                CFSTR("file:///tmp/%4"), CFSTR("file:///tmp/%00x"), CFSTR("file:relative")}) {
            CFRef<CFURLRef> u(CFURLCreateWithString(nullptr, bad, nullptr));
            EXPECT_FALSE(u) << CFStringGetCStringPtr(bad, kCFStringEncodingUTF8);
        }
        // A NUL inside the text cannot be part of a URL or a path.
        const std::string nulPathText("/tmp\0x", 6), text("file:///tmp\0x", 13);
        CFRef<CFStringRef> nulPath(CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(nulPathText.data()), 6,
                                                           kCFStringEncodingUTF8, false));
        CFRef<CFStringRef> nulText(CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(text.data()), 13,
                                                           kCFStringEncodingUTF8, false));
        ASSERT_TRUE(nulPath && nulText);
        CFRef<CFURLRef> fromPath(CFURLCreateWithFileSystemPath(nullptr, nulPath, kCFURLPOSIXPathStyle, false));
        CFRef<CFURLRef> fromText(CFURLCreateWithString(nullptr, nulText, nullptr));
        EXPECT_FALSE(fromPath || fromText);
    }
    EXPECT_EQ(CFLiveObjectCount(), before);
}
