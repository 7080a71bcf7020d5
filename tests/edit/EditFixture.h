// Runs `flummel edit` under X: its screenshots read back, its presets restored into a fresh
// effect, and waits for what it says on standard error.
#pragma once

#include <png.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/TrWkFlummelEntry.h"
#include "host/AUHost.h"
#include "platform/audio/AudioUnitCalls.h"
#include "platform/cf/CFPropertyList.h"
#include "tests/desktop/ScopedEnvironment.h"
#include "tests/renderer/RendererFixture.h"

class EditTest : public RendererTest {
protected:
    struct Picture {
        int width = 0, height = 0;
        std::vector<unsigned char> rgb;
        bool Near(int x, int y, int r, int g, int b, int tolerance = 3) const
        {
            const unsigned char* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            return std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance && std::abs(p[2] - b) <= tolerance;
        }
    };

    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) GTEST_SKIP() << "no X display";
        RendererTest::SetUp();
        // The editor's stored preferences come from a directory of the test's own.
        char pattern[] = "/tmp/flummel-config-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        configDir = pattern;
        config = std::make_unique<ScopedEnvironment>("XDG_CONFIG_HOME", pattern);
    }
    void TearDown() override
    {
        config.reset();
        if (!configDir.empty()) std::filesystem::remove_all(configDir);
        RendererTest::TearDown();
    }

    // Stores the editor's preference `key` as the integer `value`.
    void StorePreference(const std::string& key, int value) const
    {
        std::ofstream(configDir / "com.tarnwick.Flummel.plist")
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n\t<key>" << key
            << "</key>\n\t<integer>" << value << "</integer>\n</dict>\n</plist>\n";
    }

    // A name no other test process uses at the same time.
    static std::string UniqueName(const char* what)
    {
        static std::atomic<int> count{0};
        return std::string("flummel-") + what + "-" + std::to_string(getpid()) + "-" + std::to_string(count++);
    }

    // What the running process has written to standard error so far.
    std::string ErrorsSoFar() const { return Slurp(Path(".stderr")); }

    // Polls `ready` every 20 ms for up to `seconds`.
    template <class Ready>
    static bool WaitFor(Ready ready, double seconds = 20)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!ready()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    // Parameter `id` of the state saved in `name`, as a fresh effect has it after restoring it;
    // NaN when the file cannot be read or restored.
    float PresetParameter(const std::string& name, AudioUnitParameterID id) const
    {
        RegisterTrWkFlummel();
        std::unique_ptr<AUHost> host;
        if (AUHost::Open(TrWkFlummelDescription(), host) != noErr) return NAN;
        CFPropertyListRef state = CFPropertyListCreateFromFile(Path(name).c_str(), nullptr);
        if (!state) return NAN;
        const OSStatus err =
            AudioUnitSetProperty(host->Unit(), kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, sizeof state);
        CFRelease(state);
        AudioUnitParameterValue v = NAN;
        if (err != noErr || host->GetParameter(id, v) != noErr) return NAN;
        return v;
    }

    // An 8-bit RGB PNG as written by the program; empty when it is not one.
    Picture ReadPng(const std::string& name) const
    {
        Picture pic;
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&image, Path(name).c_str())) return pic;
        image.format = PNG_FORMAT_RGB;
        pic.width = int(image.width);
        pic.height = int(image.height);
        pic.rgb.resize(PNG_IMAGE_SIZE(image));
        if (!png_image_finish_read(&image, nullptr, pic.rgb.data(), 0, nullptr)) return Picture{};
        return pic;
    }

    std::filesystem::path configDir;
    std::unique_ptr<ScopedEnvironment> config;
};
