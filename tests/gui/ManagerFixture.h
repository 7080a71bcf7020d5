// A toolkit manager in a real window: the effect through the test host, a view component whose
// pane holds the manager at the window's top-left, the editor's two fonts, and helpers to start
// the render thread, count its frames and read its picture back.
#pragma once

#include "tests/desktop/DisplayFixture.h"
#include "tests/desktop/Screenshot.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "engine/FlummelParameters.h"
#include "engine/TrWkFlummelEntry.h"
#include "framework/ComponentEntryPoint.h"
#include "framework/view/AUCarbonViewBase.h"
#include "gui/Effect.h"
#include "gui/Font.h"
#include "gui/Group.h"
#include "gui/Manager.h"
#include "host/AUHost.h"
#include "platform/desktop/FontLocator.h"

namespace guitest {

// Builds the manager in CreateUI, as the plug-in's own view does.
class FixtureView : public AUCarbonViewBase {
public:
    using AUCarbonViewBase::AUCarbonViewBase;
    OSStatus CreateUI(Float32, Float32) override
    {
        if (build) build(this);
        return noErr;
    }
    static inline std::function<void(FixtureView*)> build;
};

// Counts the frames the render thread starts (Update runs once before each Draw).
class FrameCounter : public TW::Effect {
public:
    explicit FrameCounter(TW::Manager* m) : Effect(m) {}
    void Update() override { frames.fetch_add(1, std::memory_order_relaxed); }
    void ShutdownRendering() override { shutdowns.fetch_add(1, std::memory_order_relaxed); }
    std::atomic<int> frames{0};
    std::atomic<int> shutdowns{0};
};

constexpr int kWidth = 770, kHeight = 315, kWinX = 120, kWinY = 140;

}  // namespace guitest

class ManagerTest : public DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        TW::Manager::ms_enableTooltip = false;
        TW::Manager::ms_enableConstantRedraw = true;
        TW::Manager::ms_enableEyeCandy = true;
        static Component viewComponent = RegisterComponent(
            ComponentDescription{kAudioUnitCarbonViewComponentType, FourCC("Flml"), FourCC("TrWk"), 0, 0},
            &ComponentEntryPoint<guitest::FixtureView>::Dispatch, "Flummel test view");
        RegisterTrWkFlummel();
        ASSERT_EQ(AUHost::Open(TrWkFlummelDescription(), host), noErr);
        ASSERT_EQ(host->SetFormat(44100.0, 2), noErr);
        ASSERT_EQ(host->Initialize(), noErr);
        ASSERT_EQ(OpenAComponent(viewComponent, &viewInstance), noErr);
        Rect r{SInt16(guitest::kWinY), SInt16(guitest::kWinX), SInt16(guitest::kWinY + guitest::kHeight),
               SInt16(guitest::kWinX + guitest::kWidth)};
        ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &r, &window), noErr);
        static const std::string sans = FontLocator::FileFor("/Library/Fonts/GillSans.dfont");
        static const std::string mono = FontLocator::FileFor("/System/Library/Fonts/Monaco.dfont");
        ASSERT_FALSE(sans.empty());
        font = std::make_unique<TW::Font>(sans.c_str(), 14);
        labelFont = std::make_unique<TW::Font>(mono.c_str(), 9);
    }

    void TearDown() override
    {
        manager.reset();
        if (viewInstance) CloseComponent(viewInstance);
        if (window) DisposeWindow(window);
        font.reset();
        labelFont.reset();
        host.reset();
        DisplayTest::TearDown();
    }

    // The manager, made by the view's CreateUI in the window's pane; a frame counter is its last effect.
    TW::Manager& MakeManager()
    {
        guitest::FixtureView::build = [this](guitest::FixtureView* v) {
            manager = std::make_unique<TW::Manager>(v, Rect{0, 0, SInt16(guitest::kHeight), SInt16(guitest::kWidth)},
                                                    int(kNumParams), font.get(), labelFont.get());
        };
        ControlRef rootControl = nullptr, pane = nullptr;
        GetRootControl(window, &rootControl);
        const Float32Point location{0, 0}, size{float(guitest::kWidth), float(guitest::kHeight)};
        EXPECT_EQ(AudioUnitCarbonViewCreate(viewInstance, host->Unit(), window, rootControl, &location, &size, &pane),
                  noErr);
        guitest::FixtureView::build = nullptr;
        counter = new guitest::FrameCounter(manager.get());
        manager->effects.push_back(counter);
        return *manager;
    }

    // Starts the render thread, shows the window and waits for the frame drawn at start and the
    // one that showing asks for (all there is without constant redraw).
    void Start()
    {
        manager->CreateRenderTask();
        ShowWindow(window);
        ASSERT_TRUE(PumpUntil([&] { return Viewable(GetWindowXID(window)); }));
        SelectWindow(window);
        ASSERT_TRUE(PumpUntil([&] { return counter->frames.load() >= 2; }, 10.0));
        ASSERT_TRUE(!TW::Manager::ms_enableConstantRedraw || WaitFrames(2));
    }

    // Waits until `n` more frames have been completed (the one after the n-th Update is drawn).
    bool WaitFrames(int n, double seconds = 5.0)
    {
        int target = counter->frames.load() + n + 1;
        return PumpUntil([&] { return counter->frames.load() >= target; }, seconds);
    }

    // As a control sets it, so that the manager's listener hears of it.
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

    // Global screen position and window row of a point in GUI units.
    static int GlobalX(float x) { return guitest::kWinX + int(x); }
    static int GlobalY(float y) { return guitest::kWinY + guitest::kHeight - int(y); }
    static int Row(float y) { return guitest::kHeight - int(y); }

    // The window's picture, raised first (and redrawn) in case another program's window lay over it.
    std::unique_ptr<Screenshot> Shot()
    {
        SelectWindow(window);
        if (manager && manager->renderTaskRunning) {
            manager->NudgeGUI();
            WaitFrames(2);
        }
        SyncWindowServer();
        return std::make_unique<Screenshot>(mX, GetWindowXID(window));
    }

    std::unique_ptr<AUHost> host;
    ComponentInstance viewInstance = nullptr;
    WindowRef window = nullptr;
    std::unique_ptr<TW::Font> font;
    std::unique_ptr<TW::Font> labelFont;
    std::unique_ptr<TW::Manager> manager;
    guitest::FrameCounter* counter = nullptr;
};
