// A host of our own for the UI module: the built module loaded with dlopen, a parent X window,
// a recording write function, a URID map, ui:resize and options, and the host's idle calls.
#pragma once

// gtest and the LV2 headers first: Xlib's macros (None, Bool, Status) would break them.
#include <gtest/gtest.h>

#include <lv2/atom/forge.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include "plugins/lv2/Lv2DisplayMessage.h"
#include "plugins/lv2/Lv2Variant.h"
// clang-format off
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
// clang-format on
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/desktop/ScopedEnvironment.h"
#include "tests/desktop/Screenshot.h"
#include "tests/desktop/TempDirectory.h"

class UiHarness : public ::testing::Test {
public:
    struct Write {
        uint32_t port, size, format;
        float value;
    };
    static constexpr int kParentX = 40, kParentY = 60, kParentWidth = 1200, kParentHeight = 500;
    static constexpr const char* kStereo = "urn:flummel:lv2:stereo";
    static constexpr const char* kMono = "urn:flummel:lv2:mono";

protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (Xvfb)";
        mLock = open("/tmp/flummel-display-tests.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0666);
        ASSERT_GE(mLock, 0);
        ASSERT_EQ(flock(mLock, LOCK_EX), 0);
        ASSERT_NE(mX = XOpenDisplay(nullptr), nullptr);
        mModule = dlopen(FLUMMEL_UI_MODULE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(mModule, nullptr) << dlerror();
        auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(mModule, "lv2ui_descriptor"));
        ASSERT_NE(entry, nullptr);
        ASSERT_NE(mDescriptor = entry(0), nullptr);
        EXPECT_EQ(entry(1), nullptr);
        mIdle = static_cast<const LV2UI_Idle_Interface*>(mDescriptor->extension_data(LV2_UI__idleInterface));
        ASSERT_NE(mIdle, nullptr);
        XSetWindowAttributes a{};
        a.background_pixel = WhitePixel(mX, DefaultScreen(mX));
        mParent = XCreateWindow(mX, DefaultRootWindow(mX), kParentX, kParentY, kParentWidth, kParentHeight, 0,
                                CopyFromParent, InputOutput, CopyFromParent, CWBackPixel, &a);
        XMapRaised(mX, mParent);
        XSync(mX, False);
        MovePointer(5, 5);
    }

    void TearDown() override
    {
        Close();
        if (mX) {
            if (mParent) XDestroyWindow(mX, mParent);
            XCloseDisplay(mX);
        }
        if (mLock >= 0) close(mLock);
    }

    // The UI for `pluginUri` in the parent window, with the host's scale factor when one is
    // given; false when the module refused.
    bool Open(const char* pluginUri = kStereo, float scaleFactor = 0)
    {
        mScaleFactor = scaleFactor;
        mOptions.clear();
        if (scaleFactor > 0)
            mOptions.push_back({LV2_OPTIONS_INSTANCE, 0, Map(LV2_UI__scaleFactor), sizeof(float), Map(LV2_ATOM__Float),
                                &mScaleFactor});
        mOptions.push_back({LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr});
        mFeatureList = {{LV2_UI__parent, reinterpret_cast<void*>(uintptr_t(mParent))},
                        {LV2_URID__map, &mMap},
                        {LV2_UI__resize, &mResize},
                        {LV2_OPTIONS__options, mOptions.data()}};
        mFeatures.clear();
        for (auto& f : mFeatureList) mFeatures.push_back(&f);
        mFeatures.push_back(nullptr);
        mWidget = nullptr;
        mHandle = mDescriptor->instantiate(mDescriptor, pluginUri, "/nowhere", &UiHarness::RecordWrite, this, &mWidget,
                                           mFeatures.data());
        return mHandle != nullptr;
    }
    void Close()
    {
        if (mHandle) mDescriptor->cleanup(mHandle);
        mHandle = nullptr;
    }

    unsigned long WidgetXID() const { return static_cast<unsigned long>(reinterpret_cast<uintptr_t>(mWidget)); }
    uint32_t ControlPort(int parameter) const
    {
        return Lv2Variant::Find(kStereo)->FirstControlPort() + uint32_t(parameter);
    }

    void PortValue(uint32_t port, float value) { mDescriptor->port_event(mHandle, port, sizeof value, 0, &value); }
    // A display message as the plug-in sends it, handed over as a notify port's atom.
    void Notify(const DataToGui& data, float lower, float upper)
    {
        std::unique_ptr<std::atomic<float>[]> overview(new std::atomic<float>[kSampleOverviewFloats]);
        for (int i = 0; i < kSampleOverviewFloats; ++i) overview[i].store(i % 2 ? (i % 4 == 1 ? lower : upper) : float(i / 4));
        alignas(8) uint8_t buffer[4096];
        LV2_Atom_Forge forge;
        lv2_atom_forge_init(&forge, &mMap);
        lv2_atom_forge_set_buffer(&forge, buffer, sizeof buffer);
        LV2_Atom_Forge_Frame frame;
        lv2_atom_forge_sequence_head(&forge, &frame, 0);
        ASSERT_TRUE(Lv2DisplayMessage(&mMap).Write(&forge, 0, data, overview.get()));
        lv2_atom_forge_pop(&forge, &frame);
        const LV2_Atom* atom = &lv2_atom_sequence_begin(&reinterpret_cast<LV2_Atom_Sequence*>(buffer)->body)->body;
        SendAtom(atom);
    }
    void SendAtom(const LV2_Atom* atom)
    {
        mDescriptor->port_event(mHandle, kNotifyPort, uint32_t(sizeof(LV2_Atom) + atom->size),
                                Map(LV2_ATOM__eventTransfer), atom);
    }

    // The host's idle calls until `done` holds or `seconds` pass; returns `done()`.
    bool IdleUntil(const std::function<bool()>& done, double seconds = 10)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            if (mHandle) {
                EXPECT_EQ(mIdle->idle(mHandle), 0);
            }
            usleep(5000);
        }
        return true;
    }
    void Idle(double seconds) { IdleUntil([] { return false; }, seconds); }

    std::unique_ptr<Screenshot> Shot()
    {
        XSync(mX, False);
        return std::make_unique<Screenshot>(mX, mParent);
    }
    // The editor's label clear colour (0.2, 0.2, 0) over at least `share` of its 770 x 315 area.
    bool EditorDrawn(double share = 0.5)
    {
        return Shot()->Count(0, 0, 770, 315, [](auto p) { return p.Near(51, 51, 0); }) > share * 770 * 315;
    }

    // The pointer through XTest, in parent window coordinates.
    void MovePointer(int x, int y)
    {
        XTestFakeMotionEvent(mX, DefaultScreen(mX), kParentX + x, kParentY + y, 0);
        XSync(mX, False);
    }

    LV2_URID Map(const char* uri) { return mMap.map(mMap.handle, uri); }

    static constexpr uint32_t kNotifyPort = 100;  // any port: the message says what it is

    Display* mX = nullptr;
    ::Window mParent = 0;
    std::vector<Write> writes;
    std::vector<std::pair<int, int>> sizes;  // ui:resize requests

private:
    static void RecordWrite(LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
    {
        float v = 0;
        if (size == sizeof v) std::memcpy(&v, buffer, sizeof v);
        static_cast<UiHarness*>(c)->writes.push_back({port, size, format, v});
    }
    static int RecordResize(LV2UI_Feature_Handle h, int width, int height)
    {
        static_cast<UiHarness*>(h)->sizes.emplace_back(width, height);
        return 0;
    }

    TempDirectory mConfig;  // preferences of the test's own: GUI scale 100 %
    ScopedEnvironment mPrefs{"XDG_CONFIG_HOME", mConfig.Path().c_str()};
    int mLock = -1;
    void* mModule = nullptr;
    const LV2UI_Descriptor* mDescriptor = nullptr;
    const LV2UI_Idle_Interface* mIdle = nullptr;
    LV2UI_Handle mHandle = nullptr;
    LV2UI_Widget mWidget = nullptr;
    std::map<std::string, LV2_URID> mUrids;
    LV2_URID_Map mMap{this, [](LV2_URID_Map_Handle h, const char* uri) {
                          auto& ids = static_cast<UiHarness*>(h)->mUrids;
                          return ids.emplace(uri, LV2_URID(ids.size() + 1)).first->second;
                      }};
    LV2UI_Resize mResize{this, &UiHarness::RecordResize};
    float mScaleFactor = 0;
    std::vector<LV2_Options_Option> mOptions;
    std::vector<LV2_Feature> mFeatureList;
    std::vector<const LV2_Feature*> mFeatures;
};
