// The plug-in's editor as a host opens it: the effect through its entry, the view component it
// names, the view created in a window of the test's own at a known place on the screen. The
// user's preferences live in a fresh directory for each test.
#pragma once

#include "tests/desktop/DisplayFixture.h"
#include "tests/desktop/Screenshot.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "editor/EditorPreferences.h"
#include "editor/TrWkFlummelView.h"
#include "editor/TrWkFlummelViewEntry.h"
#include "engine/TrWkFlummelEntry.h"
#include "framework/CAAUParameter.h"
#include "gui/Manager.h"
#include "host/AUHost.h"
#include "tests/desktop/ScopedEnvironment.h"
#include "tests/desktop/TempDirectory.h"

namespace edtest {

constexpr int kWidth = 770;
constexpr int kHeight = 315;

// One open editor: its component instance, host window and view object.
struct Editor {
    ComponentInstance instance = nullptr;
    WindowRef window = nullptr;
    ControlRef pane = nullptr;
    TrWkFlummelView* view = nullptr;
    int x = 0, y = 0;  // global position of the window's content

    // Global screen position of a point in GUI units (scale 1).
    int GlobalX(float gx) const { return x + int(std::lround(gx)); }
    int GlobalY(float gy) const { return y + kHeight - int(std::lround(gy)); }
};

}  // namespace edtest

class EditorTest : public DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        prefs = std::make_unique<ScopedEnvironment>("XDG_CONFIG_HOME", configDir.Path().c_str());
        RegisterTrWkFlummel();
        RegisterTrWkFlummelView();
        ASSERT_EQ(AUHost::Open(TrWkFlummelDescription(), host), noErr);
        ASSERT_EQ(host->SetFormat(44100.0, 2), noErr);
        ASSERT_EQ(host->Initialize(), noErr);
        ASSERT_EQ(host->SetInputSignal({std::vector<float>(4096), std::vector<float>(4096)}), noErr);
        MovePointer(5, 5);
    }

    void TearDown() override
    {
        for (auto& e : editors) Close(*e);
        editors.clear();
        host.reset();
        prefs.reset();
        DisplayTest::TearDown();
    }

    // Opens the editor the effect names in a shown window whose content starts at (x, y), and
    // waits for its first frames.
    edtest::Editor& Open(int x = 120, int y = 140, bool waitForPicture = true)
    {
        auto e = std::make_unique<edtest::Editor>();
        e->x = x;
        e->y = y;
        ComponentDescription desc{};
        UInt32 size = sizeof desc;
        EXPECT_EQ(AudioUnitGetProperty(host->Unit(), kAudioUnitProperty_GetUIComponentList, kAudioUnitScope_Global, 0,
                                       &desc, &size),
                  noErr);
        Component found = nullptr;
        for (Component c = FindNextComponent(nullptr, &desc); c && !found; c = FindNextComponent(c, &desc))
            if (c == RegisterTrWkFlummelView()) found = c;
        EXPECT_NE(found, nullptr);
        EXPECT_EQ(OpenAComponent(found, &e->instance), noErr);

        Rect r{SInt16(y), SInt16(x), SInt16(y + edtest::kHeight), SInt16(x + edtest::kWidth)};
        EXPECT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &r, &e->window), noErr);
        ControlRef root = nullptr;
        GetRootControl(e->window, &root);
        const Float32Point location{0, 0}, viewSize{float(edtest::kWidth), float(edtest::kHeight)};
        EXPECT_EQ(AudioUnitCarbonViewCreate(e->instance, host->Unit(), e->window, root, &location, &viewSize, &e->pane),
                  noErr);
        e->view = dynamic_cast<TrWkFlummelView*>(static_cast<ComponentBase*>(GetComponentInstanceStorage(e->instance)));
        ShowWindow(e->window);
        EXPECT_TRUE(PumpUntil([&] { return Viewable(GetWindowXID(e->window)); }));
        SelectWindow(e->window);
        editors.push_back(std::move(e));
        edtest::Editor& ed = *editors.back();
        if (waitForPicture) EXPECT_TRUE(WaitForPicture(ed));
        return ed;
    }

    void Close(edtest::Editor& e)
    {
        if (e.instance) CloseComponent(e.instance);
        if (e.window) DisposeWindow(e.window);
        e.instance = nullptr;
        e.window = nullptr;
        e.view = nullptr;
    }

    std::unique_ptr<Screenshot> Shot(const edtest::Editor& e)
    {
        SyncWindowServer();
        return std::make_unique<Screenshot>(mX, GetWindowXID(e.window));
    }

    // Until the Delay Time knob (magenta) shows at its centre.
    bool WaitForPicture(const edtest::Editor& e)
    {
        return PumpUntil(
            [&] {
                auto s = Shot(e);
                Screenshot::RGB p = s->At(35, edtest::kHeight - 40);
                return p.b > 100 && p.r > 100 && p.g < p.b;
            },
            10.0);
    }

    // Sets a parameter as a control does, so that every listener hears of it.
    void SetParam(int id, float value)
    {
        CAAUParameter p(host->Unit(), AudioUnitParameterID(id), kAudioUnitScope_Global, 0);
        p.SetValue(nullptr, nullptr, value);
    }
    float Param(int id)
    {
        float v = -1;
        host->GetParameter(AudioUnitParameterID(id), v);
        return v;
    }
    bool WaitParam(int id, float expected, float tolerance = 1e-3f)
    {
        return PumpUntil([&] { return std::abs(Param(id) - expected) <= tolerance; });
    }

    void Click(int x, int y, const char* modifier = nullptr)
    {
        MovePointer(x, y);
        Pump(0.05);
        if (modifier) Key(modifier, true);
        Button(1, true);
        Button(1, false);
        if (modifier) Key(modifier, false);
    }

    TempDirectory configDir;
    std::unique_ptr<ScopedEnvironment> prefs;
    std::unique_ptr<AUHost> host;
    std::vector<std::unique_ptr<edtest::Editor>> editors;
};
