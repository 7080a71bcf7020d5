// cmake --install puts a bundle that hosts find and load.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "lv2/Lv2Harness.h"
#include "lv2/Subprocess.h"

namespace {

TEST(Lv2Install, PutsALoadableBundleIntoTheLv2Directory)
{
    const std::filesystem::path stage = "/tmp/flummel-install-" + std::to_string(getpid());
    const SubprocessResult install =
        RunSubprocess({CMAKE_COMMAND_PATH, "--install", FLUMMEL_BUILD_DIR}, {"DESTDIR=" + stage.string()});
    ASSERT_EQ(install.status, 0) << install.out << install.err;

    const std::filesystem::path bundle = stage / std::filesystem::path(FLUMMEL_LV2_INSTALLED_DIR).relative_path() /
                                         "flummel.lv2";
    for (const char* file : {"manifest.ttl", "flummel.ttl", "flummel.so"})
        EXPECT_TRUE(std::filesystem::is_regular_file(bundle / file)) << bundle / file;

    std::vector<std::string> env = ForeignHostEnvironment();
    env.push_back("LV2_PATH=" + bundle.parent_path().string());
    const SubprocessResult listed = RunSubprocess({LV2LS}, env);
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find(kStereoUri), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find(kMonoUri), std::string::npos) << listed.out;
    std::filesystem::remove_all(stage);
}

}  // namespace
