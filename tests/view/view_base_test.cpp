// The editor view base as a host drives it: placement in the host's window, clicks, parameter
// notifications and argument checks.
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "engine/FlummelParameters.h"
#include "engine/TrWkFlummelEntry.h"
#include "framework/ComponentEntryPoint.h"
#include "framework/view/AUCarbonViewBase.h"
#include "host/AUHost.h"
#include "tests/desktop/DisplayFixture.h"

namespace {

struct Knob : AUCarbonViewControl {
    explicit Knob(std::vector<float>* heard) : heard(heard) {}
    void ParameterToControl(Float32 value) override { heard->push_back(value); }
    std::vector<float>* heard;
};

// Lays out three panes of its own, as an editor's CreateUI does, and records what it is asked.
class TestView : public AUCarbonViewBase {
public:
    explicit TestView(ComponentInstance ci) : AUCarbonViewBase(ci) { last = this; }
    ~TestView() override { last = nullptr; }
    OSStatus CreateUI(Float32 x, Float32 y) override
    {
        if (failUI) return -4321;
        for (const Rect& l : {Rect{10, 20, 60, 140}, Rect{50, 5, 130, 70}, Rect{20, 30, 40, 50}}) {
            Rect r{SInt16(l.top + y), SInt16(l.left + x), SInt16(l.bottom + y), SInt16(l.right + x)};
            ControlRef c = nullptr;
            if (CreateUserPaneControl(GetCarbonWindow(), &r, 0, &c) != noErr) return -1;
            EmbedControl(c);
            children.push_back(c);
        }
        return noErr;
    }
    using AUCarbonViewBase::AddControl;

    static inline TestView* last = nullptr;
    static inline bool failUI = false;
    std::vector<ControlRef> children;
};

std::array<int, 4> Bounds(ControlRef c)
{
    Rect r{};
    GetControlBounds(c, &r);
    return {r.top, r.left, r.bottom, r.right};
}

class ViewBase : public DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        ASSERT_EQ(OpenAComponent(Registered(), &view), noErr);
        RegisterTrWkFlummel();
        ASSERT_EQ(AUHost::Open(TrWkFlummelDescription(), host), noErr);
    }
    void TearDown() override
    {
        if (view) CloseComponent(view);
        if (window) DisposeWindow(window);
        DisplayTest::TearDown();
    }
    static Component Registered()
    {
        static Component c = RegisterComponent(
            ComponentDescription{kAudioUnitCarbonViewComponentType, FourCC("Test"), FourCC("TrWk"), 0, 0},
            &ComponentEntryPoint<TestView>::Dispatch, "Test View");
        return c;
    }
    // The view created at `at` (and `size`) in a new shown window; its pane in `pane`.
    OSStatus Create(const Float32Point* at, const Float32Point* size, bool unit = true)
    {
        if (!window) window = ShownWindow(100, 100, 400, 300, kWindowStandardHandlerAttribute);
        ControlRef root = nullptr;
        GetRootControl(window, &root);
        return AudioUnitCarbonViewCreate(view, unit ? host->Unit() : nullptr, window, root, at, size, &pane);
    }

    AudioUnitCarbonView view = nullptr;
    std::unique_ptr<AUHost> host;
    WindowRef window = nullptr;
    ControlRef pane = nullptr;
    const Float32Point origin{0, 0}, at{30, 40}, size{300, 200};
};

}  // namespace

// The contents in window coordinates at the host's location, in a pane that holds them all.
TEST_F(ViewBase, ContentsSitWhereTheHostSaysAndTheViewClosesAfterItsWindow)
{
    const long before = CountLiveControls();
    ASSERT_EQ(Create(&at, &size), noErr);
    TestView* v = TestView::last;
    EXPECT_EQ(Bounds(pane), (std::array<int, 4>{40, 30, 170, 170}));  // the furthest bottom-right
    EXPECT_EQ(Bounds(v->children[0]), (std::array<int, 4>{50, 50, 100, 170}));
    EXPECT_EQ(HIViewGetSuperview(v->children[1]), pane);
    // A host that disposes the window first (taking the pane with it) can still close the view.
    DisposeWindow(std::exchange(window, nullptr));
    EXPECT_EQ(CloseComponent(std::exchange(view, nullptr)), noErr);
    EXPECT_EQ(CountLiveControls(), before);
}

TEST_F(ViewBase, ClicksAndParameterChangesReachTheView)
{
    ASSERT_EQ(Create(&origin, &size), noErr);
    TestView* v = TestView::last;
    auto click = [&](ControlRef target) {
        EventRef e = nullptr;
        CreateEvent(nullptr, kEventClassControl, kEventControlClick, 0, 0, &e);
        SetEventParameter(e, kEventParamDirectObject, typeControlRef, sizeof target, &target);
        const bool handled = v->HandleEvent(e);
        ReleaseEvent(e);
        return handled;
    };
    // A click on the pane itself clears the focus; one on a child passes on.
    SetKeyboardFocus(window, v->children[0], kControlFocusNextPart);
    EXPECT_FALSE(click(v->children[0]));
    EXPECT_TRUE(click(pane));
    ControlRef focus = reinterpret_cast<ControlRef>(1);
    GetKeyboardFocus(window, &focus);
    EXPECT_EQ(focus, nullptr);

    std::vector<float> heard;
    auto knob = std::make_unique<Knob>(&heard);
    const AudioUnitParameter feedback{host->Unit(), kParam_Feedback, kAudioUnitScope_Global, 0};
    ASSERT_EQ(AUListenerAddParameter(v->GetParameterListener(), knob.get(), &feedback), noErr);
    v->AddControl(std::move(knob));
    ASSERT_EQ(AUParameterSet(nullptr, nullptr, &feedback, 42.f, 0), noErr);
    ASSERT_TRUE(PumpUntil([&] { return !heard.empty(); }));
    EXPECT_EQ(heard.back(), 42.f);
}

TEST_F(ViewBase, TheViewComponentsCallsCheckTheirArguments)
{
    const Float32Point far{65536.f + 12.f, 1e12f}, odd{std::nanf(""), -1e30f};
    EXPECT_EQ(Create(&origin, nullptr), paramErr);
    EXPECT_EQ(Create(&origin, &size, false), paramErr);
    EXPECT_EQ(pane, nullptr);
    // Coordinates no 16-bit rectangle holds are truncated, never trusted.
    ASSERT_EQ(Create(&far, &odd), noErr);
    EXPECT_EQ(Bounds(pane)[1], 12);
    TestView::failUI = true;  // handed back as it is
    EXPECT_EQ(Create(&origin, &size), -4321);
    TestView::failUI = false;
}
