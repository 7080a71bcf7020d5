// Per-user preferences: values shared between processes through the domain's file, merging on
// synchronise, and a corrupt file.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/cf/CFNumber.h"
#include "platform/cf/CFString.h"
#include "platform/desktop/CFPreferences.h"
#include "tests/desktop/ScopedEnvironment.h"
#include "tests/desktop/TempDirectory.h"

namespace {

CFRef<CFStringRef> CF(const char* s)
{
    return CFRef<CFStringRef>(CFStringCreateWithCString(nullptr, s, kCFStringEncodingUTF8));
}

void SetInt(const char* domain, const char* key, int value)
{
    CFRef<CFNumberRef> n(CFNumberCreate(nullptr, kCFNumberIntType, &value));
    CFPreferencesSetAppValue(CF(key), n, CF(domain));
}

// The stored integer as text, "absent", or "not a number".
std::string GetInt(const char* domain, const char* key)
{
    CFRef<CFPropertyListRef> v(CFPreferencesCopyAppValue(CF(key), CF(domain)));
    int n = 0;
    if (!v) return "absent";
    bool number = CFGetTypeID(v) == CFNumberGetTypeID() && CFNumberGetValue(CFNumberRef(v.get()), kCFNumberIntType, &n);
    return number ? std::to_string(n) : "not a number";
}

// Started as a helper process by the tests below (the variables say what to do), this runs
// before the test runner and exits: "set" stores and synchronises, "get" prints the value.
int RunHelperIfAsked()
{
    const char *action = std::getenv("FLUMMEL_PREFS_HELPER"), *domain = std::getenv("FLUMMEL_PREFS_DOMAIN"),
               *key = std::getenv("FLUMMEL_PREFS_KEY");
    if (!action) return 0;
    if (std::string(action) == "set") {
        SetInt(domain, key, std::atoi(std::getenv("FLUMMEL_PREFS_VALUE")));
        std::exit(CFPreferencesAppSynchronize(CF(domain)) ? 0 : 1);
    }
    std::printf("%s", GetInt(domain, key).c_str());
    std::fflush(stdout);
    std::exit(0);
}
[[maybe_unused]] const int kHelper = RunHelperIfAsked();

// Runs this test program as the helper; returns what it printed, or "failed".
std::string Helper(const char* action, const char* domain, const char* key, int value = 0)
{
    char exe[4096] = {}, out[256] = {};
    if (readlink("/proc/self/exe", exe, sizeof exe - 1) <= 0) return "failed";
    ScopedEnvironment a("FLUMMEL_PREFS_HELPER", action), d("FLUMMEL_PREFS_DOMAIN", domain),
        k("FLUMMEL_PREFS_KEY", key), v("FLUMMEL_PREFS_VALUE", std::to_string(value).c_str());
    const std::string command = std::string("'").append(exe).append("'");
    FILE* p = popen(command.c_str(), "r");
    if (!p) return "failed";
    size_t got = std::fread(out, 1, sizeof out - 1, p);
    return pclose(p) == 0 ? std::string(out, got) : "failed";
}

std::vector<std::string> Entries(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
        closedir(d);
    }
    return names;
}

class Preferences : public ::testing::Test {
protected:
    TempDirectory mDir;
    std::string mConfig = mDir / "config";
    ScopedEnvironment mXDG{"XDG_CONFIG_HOME", mConfig.c_str()};
};

}  // namespace

TEST_F(Preferences, ValuesPersistAcrossProcessesAndSynchroniseMergesWhatAnotherStoredMeanwhile)
{
    const char* domain = "com.example.persist";
    EXPECT_EQ(GetInt(domain, "Enable constant redraw"), "absent");  // read (and remembered) before the other writes
    ASSERT_EQ(Helper("set", domain, "GUI scale", 150), "");          // creates the missing directory too
    EXPECT_EQ(Entries(mConfig), std::vector<std::string>{"com.example.persist.plist"});
    EXPECT_EQ(GetInt(domain, "GUI scale"), "150");  // a change by another process shows without a synchronise
    SetInt(domain, "Enable eye candy", 0);
    EXPECT_EQ(GetInt(domain, "Enable eye candy"), "0");              // seen here at once
    EXPECT_EQ(Helper("get", domain, "Enable eye candy"), "absent");  // but not stored yet
    ASSERT_EQ(Helper("set", domain, "Enable constant redraw", 0), "");
    ASSERT_TRUE(CFPreferencesAppSynchronize(CF(domain)));
    for (const char* key : {"Enable eye candy", "Enable constant redraw"}) EXPECT_EQ(Helper("get", domain, key), "0");
    EXPECT_EQ(Helper("get", domain, "GUI scale"), "150");
    EXPECT_EQ(GetInt(domain, "Enable constant redraw"), "0");
    EXPECT_EQ(Entries(mConfig).size(), 1u);  // no temporary files left behind
}

TEST_F(Preferences, ACorruptFileReadsAsEmptyWithOneWarningAndIsReplacedOnSynchronise)
{
    const char* domain = "com.example.corrupt";
    const std::string file = mConfig + "/com.example.corrupt.plist";
    ASSERT_EQ(mkdir(mConfig.c_str(), 0700), 0);
    ASSERT_TRUE(mDir.Write("config/com.example.corrupt.plist", "<plist><dict><key>GUI scale</key><integer>1"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(GetInt(domain, "GUI scale"), "absent");
    EXPECT_EQ(GetInt(domain, "Enable eye candy"), "absent");
    SetInt(domain, "GUI scale", 80);
    EXPECT_TRUE(CFPreferencesAppSynchronize(CF(domain)));
    std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_NE(warnings.find("preferences: ignoring " + file), std::string::npos) << warnings;
    EXPECT_EQ(warnings.find("preferences:"), warnings.rfind("preferences:")) << warnings;  // once
    EXPECT_EQ(Helper("get", domain, "GUI scale"), "80");
}
