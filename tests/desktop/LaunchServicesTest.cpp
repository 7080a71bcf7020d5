// Opening a URL hands it to the desktop's opener found on PATH.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/cf/CFString.h"
#include "platform/desktop/LaunchServices.h"
#include "tests/desktop/ScopedEnvironment.h"
#include "tests/desktop/TempDirectory.h"

TEST(LaunchServices, AURLGoesToTheOpenerOnThePathAndNowhereWithoutOne)
{
    TempDirectory dir;
    std::string log = dir / "opened";
    ASSERT_TRUE(dir.Write("xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + log + ".tmp' && mv '" + log + ".tmp' '" +
                                          log + "'\n"));
    ASSERT_EQ(chmod((dir / "xdg-open").c_str(), 0755), 0);
    const char* path = std::getenv("PATH");
    ScopedEnvironment env("PATH", (dir.Path() + ":" + (path ? path : "/usr/bin:/bin")).c_str());

    CFRef<CFURLRef> url(CFURLCreateWithString(nullptr, CFSTR("https://example.org/flummel?x=1&y=2"), nullptr));
    CFURLRef launched = reinterpret_cast<CFURLRef>(1);
    ASSERT_EQ(LSOpenCFURLRef(url, &launched), noErr);
    EXPECT_EQ(launched, nullptr);
    for (int i = 0; i < 1000 && access(log.c_str(), F_OK) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(log);
    std::stringstream got;
    got << in.rdbuf();
    EXPECT_EQ(got.str(), "https://example.org/flummel?x=1&y=2");
    ScopedEnvironment none("PATH", dir.Path().c_str());  // the opener is gone
    std::remove((dir / "xdg-open").c_str());
    EXPECT_EQ(LSOpenCFURLRef(url, nullptr), kLSApplicationNotFoundErr);
}
