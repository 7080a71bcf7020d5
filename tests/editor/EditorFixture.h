// The editor as a host opens it: the effect through its entry, the view component the effect
// names, created in a shown window of the test's own. Preferences live in a fresh directory.
#pragma once

#include "tests/desktop/DisplayFixture.h"
#include "tests/desktop/Screenshot.h"

#include <cmath>
#include <memory>
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

struct EditorWindow {
    ComponentInstance instance = nullptr;
    WindowRef window = nullptr;
    ControlRef pane = nullptr;
    TrWkFlummelView* view = nullptr;
    int x = 0, y = 0;  // the window content's global position

    // Global pixel of a point in GUI units (y up from the bottom of the 315-unit window).
    int X(float gx) const { return x + int(std::lround(gx)); }
    int Y(float gy) const { return y + 315 - int(std::lround(gy)); }
};

class EditorTest : public DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
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
        host.reset();
        DisplayTest::TearDown();
    }

    // Opens the editor in a window at (x, y); unless told not to, waits until the Delay Time
    // knob (violet) is drawn at its centre.
    EditorWindow& Open(int x = 120, int y = 140, bool waitForPicture = true)
    {
        auto& e = *editors.emplace_back(std::make_unique<EditorWindow>(EditorWindow{.x = x, .y = y}));
        ComponentDescription desc{};
        UInt32 size = sizeof desc;
        EXPECT_EQ(AudioUnitGetProperty(host->Unit(), kAudioUnitProperty_GetUIComponentList, 0, 0, &desc, &size), noErr);
        Component c = FindNextComponent(nullptr, &desc);
        while (c && c != RegisterTrWkFlummelView()) c = FindNextComponent(c, &desc);  // test views share it
        EXPECT_EQ(OpenAComponent(c, &e.instance), noErr);
        Rect r{SInt16(y), SInt16(x), SInt16(y + 315), SInt16(x + 770)};
        EXPECT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &r, &e.window), noErr);
        ControlRef root = nullptr;
        GetRootControl(e.window, &root);
        const Float32Point location{0, 0}, viewSize{770, 315};
        EXPECT_EQ(AudioUnitCarbonViewCreate(e.instance, host->Unit(), e.window, root, &location, &viewSize, &e.pane),
                  noErr);
        e.view = dynamic_cast<TrWkFlummelView*>(static_cast<ComponentBase*>(GetComponentInstanceStorage(e.instance)));
        ShowWindow(e.window);
        EXPECT_TRUE(PumpUntil([&] { return Viewable(GetWindowXID(e.window)); }));
        SelectWindow(e.window);
        if (waitForPicture) {
            EXPECT_TRUE(PumpUntil([&] {
                Screenshot::RGB p = Shot(e)->At(35, 315 - 40);
                return p.b > 100 && p.r > 100 && p.g < p.b;
            }, 10));
        }
        return e;
    }
    void Close(EditorWindow& e)
    {
        if (e.instance) CloseComponent(e.instance);  // as a host does: the view, then its window
        if (e.window) DisposeWindow(e.window);
        e = EditorWindow{};
    }
    std::unique_ptr<Screenshot> Shot(const EditorWindow& e)
    {
        SyncWindowServer();
        return std::make_unique<Screenshot>(mX, GetWindowXID(e.window));
    }

    // As a control sets it, so that the editor hears of it.
    void SetParam(int id, float value)
    {
        CAAUParameter(host->Unit(), AudioUnitParameterID(id), kAudioUnitScope_Global, 0).SetValue(nullptr, nullptr, value);
    }
    float Param(int id)
    {
        float v = -1;
        host->GetParameter(AudioUnitParameterID(id), v);
        return v;
    }
    bool WaitParam(int id, float expected) { return PumpUntil([&] { return std::abs(Param(id) - expected) <= 1e-3f; }); }
    // Moves the pointer there and presses `button` `times` with `modifier` held.
    void Click(int x, int y, const char* modifier = nullptr, unsigned button = 1, int times = 1)
    {
        MovePointer(x, y);
        Pump(0.1);
        if (modifier) Key(modifier, true);
        for (int i = 0; i < times; ++i) {
            Button(button, true);
            Button(button, false);
        }
        if (modifier) Key(modifier, false);
    }

    TempDirectory configDir;
    ScopedEnvironment prefs{"XDG_CONFIG_HOME", configDir.Path().c_str()};
    std::unique_ptr<AUHost> host;
    std::vector<std::unique_ptr<EditorWindow>> editors;
};
