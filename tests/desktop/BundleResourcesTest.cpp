// The bundle by identifier, its resource URLs, file URLs.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "platform/cf/CFString.h"
#include "platform/desktop/CFBundle.h"
#include "platform/desktop/CFURL.h"
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

std::string ResourcePath(const char* name, CFStringRef type = nullptr)
{
    CFRef<CFStringRef> n(CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8));
    CFRef<CFURLRef> url(CFBundleCopyResourceURL(TheBundle(), n, type, nullptr));
    return url ? PathOf(url) : "(none)";
}

}  // namespace

TEST(Bundle, OnlyTheKnownIdentifierFindsTheBundleAndItsResourcesDirectory)
{
    CFBundleRef b = TheBundle();
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(CFEqual(CFBundleGetIdentifier(b), CFSTR("com.TrWk.test.Flml")));
    EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.TrWk.test.flml")), nullptr);

    TempDirectory dir;
    ASSERT_EQ(mkdir((dir / "res").c_str(), 0755), 0);
    ASSERT_TRUE(dir.Write("res/knobshader.txt", "!!ARBvp1.0\nEND\n"));
    ASSERT_TRUE(dir.Write("secret", "outside"));
    ScopedEnvironment env("FLUMMEL_RESOURCES", (dir / "res/").c_str());

    CFRef<CFURLRef> base(CFBundleCopyResourcesDirectoryURL(TheBundle()));
    EXPECT_EQ(PathOf(base), dir / "res/");
    EXPECT_EQ(ResourcePath("knobshader.txt"), dir / "res/knobshader.txt");
    EXPECT_EQ(ResourcePath("knobshader", CFSTR("txt")), dir / "res/knobshader.txt");
    EXPECT_EQ(ResourcePath(""), "(none)");
    EXPECT_EQ(ResourcePath("../secret"), "(none)");  // nothing outside the resources directory
    ScopedEnvironment installed("FLUMMEL_RESOURCES", nullptr);  // the installed resources
    EXPECT_NE(ResourcePath("windows", CFSTR("interface")).find("/resources/windows.interface"), std::string::npos);
}

TEST(URLs, FileURLsCarryEscapedPaths)
{
    long before = CFLiveObjectCount();
    {
        CFRef<CFURLRef> file(CFURLCreateWithFileSystemPath(nullptr, CFSTR("/tmp/a b%c"), kCFURLPOSIXPathStyle, false));
        EXPECT_TRUE(CFEqual(CFURLGetString(file), CFSTR("file:///tmp/a%20b%25c")));
        CFRef<CFStringRef> path(CFURLCopyFileSystemPath(file, kCFURLPOSIXPathStyle));
        EXPECT_TRUE(CFEqual(path, CFSTR("/tmp/a b%c")));
    }
    EXPECT_EQ(CFLiveObjectCount(), before);
}
