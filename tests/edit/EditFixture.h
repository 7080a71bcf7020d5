// Runs `flummel edit` under X with preferences of its own, restores the presets it saves into a
// fresh effect, and waits for what it says on standard error.
#pragma once

#include <atomic>
#include <cmath>
#include <memory>
#include <thread>

#include "engine/FlummelParameters.h"
#include "engine/TrWkFlummelEntry.h"
#include "host/AUHost.h"
#include "platform/audio/AudioUnitCalls.h"
#include "platform/cf/CFPropertyList.h"
#include "tests/desktop/ScopedEnvironment.h"
#include "tests/renderer/RendererFixture.h"

class EditTest : public RendererTest {
protected:
    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) GTEST_SKIP() << "no X display";
        RendererTest::SetUp();
        std::filesystem::create_directory(dir / "config");
        config = std::make_unique<ScopedEnvironment>("XDG_CONFIG_HOME", Path("config").c_str());
    }
    // A name no other test process uses at the same time.
    static std::string UniqueName(const char* what)
    {
        static std::atomic<int> count{0};
        return std::string("flummel-") + what + "-" + std::to_string(getpid()) + "-" + std::to_string(count++);
    }
    template <class Ready>
    static bool WaitFor(Ready ready, double seconds = 20)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        for (; !ready(); std::this_thread::sleep_for(std::chrono::milliseconds(20)))
            if (std::chrono::steady_clock::now() > end) return false;
        return true;
    }
    // Parameter `id` of the state saved in `name` as a fresh effect restores it; NaN when it cannot.
    float PresetParameter(const std::string& name, AudioUnitParameterID id) const
    {
        RegisterTrWkFlummel();
        std::unique_ptr<AUHost> host;
        CFPropertyListRef state = CFPropertyListCreateFromFile(Path(name).c_str(), nullptr);
        AudioUnitParameterValue v = NAN;
        if (state && AUHost::Open(TrWkFlummelDescription(), host) == noErr &&
            AudioUnitSetProperty(host->Unit(), kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state,
                                 sizeof state) == noErr)
            host->GetParameter(id, v);
        if (state) CFRelease(state);
        std::filesystem::remove(Path(name));
        return v;
    }

    std::unique_ptr<ScopedEnvironment> config;
};
