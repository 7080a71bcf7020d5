// cmake --install puts a bundle that hosts find and load, presets and UI included, and the renderer
// beside its factory presets.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "lv2/Lv2Harness.h"

namespace {

TEST(Lv2Install, PutsALoadableBundleIntoTheLv2Directory)
{
    const std::filesystem::path stage = "/tmp/flummel-install-" + std::to_string(getpid());
    const SubprocessResult install =
        RunSubprocess({CMAKE_COMMAND_PATH, "--install", FLUMMEL_BUILD_DIR}, {"DESTDIR=" + stage.string()});
    ASSERT_EQ(install.status, 0) << install.out << install.err;

    const std::filesystem::path bundle = stage / std::filesystem::path(FLUMMEL_LV2_INSTALLED_DIR).relative_path() /
                                         "flummel.lv2";
    for (const char* file : {"manifest.ttl", "flummel.ttl", "presets.ttl", "flummel.so", "flummel_ui.so"})
        EXPECT_TRUE(std::filesystem::is_regular_file(bundle / file)) << bundle / file;

    std::vector<std::string> env = ForeignHostEnvironment();
    env.push_back("LV2_PATH=" + bundle.parent_path().string());
    const SubprocessResult listed = RunSubprocess({LV2LS}, env);
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find(kStereoUri), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find(kMonoUri), std::string::npos) << listed.out;

    // The installed renderer reads the installed presets: a label changed there is the one it lists.
    const std::filesystem::path prefix = stage / std::filesystem::path(FLUMMEL_INSTALL_PREFIX).relative_path();
    const std::filesystem::path preset = prefix / "share/flummel/presets/tape-loop.plist";
    std::stringstream text;
    text << std::ifstream(preset).rdbuf();
    std::string xml = text.str();
    const std::string label = "<string>Tape Loop</string>";
    const size_t at = xml.find(label);
    ASSERT_NE(at, std::string::npos) << preset;
    xml.replace(at, label.size(), "<string>Installed Tape Loop</string>");
    std::ofstream(preset) << xml;
    const SubprocessResult presets = RunSubprocess({(prefix / "bin/flummel").string(), "presets"});
    EXPECT_EQ(presets.status, 0) << presets.err;
    EXPECT_NE(presets.out.find("Installed Tape Loop"), std::string::npos) << presets.out;
    std::filesystem::remove_all(stage);
}

}  // namespace
