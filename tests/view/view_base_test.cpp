// The editor view base as a host drives it: placement in compositing and non-compositing
// windows, event routing, scrolling, parameter notifications and argument checks.
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

constexpr UInt32 kTestClass = FourCC("test");

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
    bool HandleEvent(EventRef e) override
    {
        if (GetEventClass(e) != kTestClass) return AUCarbonViewBase::HandleEvent(e);
        kinds.push_back(GetEventKind(e));
        return false;
    }
    using AUCarbonViewBase::AddControl;

    static inline TestView* last = nullptr;
    static inline bool failUI = false;
    std::vector<ControlRef> children;
    std::vector<UInt32> kinds;
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
    OSStatus Create(WindowAttributes attributes, const Float32Point* at, const Float32Point* size, bool unit = true)
    {
        if (!window) window = ShownWindow(100, 100, 400, 300, attributes | kWindowStandardHandlerAttribute);
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

// Non-compositing: the contents in window coordinates at the host's location. Compositing: the
// pane stands there and the contents are placed relative to it.
TEST_F(ViewBase, ContentsSitWhereTheHostSaysInEitherKindOfWindowAndTheViewClosesAfterIt)
{
    for (WindowAttributes attributes : {WindowAttributes(0), WindowAttributes(kWindowCompositingAttribute)}) {
        SCOPED_TRACE(attributes);
        const long before = CountLiveControls();
        ASSERT_EQ(Create(attributes, &at, &size), noErr);
        TestView* v = TestView::last;
        const int x = attributes ? 0 : 30, y = attributes ? 0 : 40;
        EXPECT_EQ(Bounds(pane), (std::array<int, 4>{40, 30, 170, 170}));  // the furthest bottom-right
        EXPECT_EQ(Bounds(v->children[0]), (std::array<int, 4>{10 + y, 20 + x, 60 + y, 140 + x}));
        EXPECT_EQ(HIViewGetSuperview(v->children[1]), pane);
        if (attributes) {  // a scroller learns the sizes, and the pane follows a new origin
            EventRef info = nullptr, to = nullptr;
            CreateEvent(nullptr, kEventClassScrollable, kEventScrollableGetInfo, 0, 0, &info);
            CreateEvent(nullptr, kEventClassScrollable, kEventScrollableScrollTo, 0, 0, &to);
            const HIPoint next{12, 7};
            SetEventParameter(to, kEventParamOrigin, typeHIPoint, sizeof next, &next);
            EXPECT_EQ(SendEventToEventTarget(info, GetControlEventTarget(pane)), noErr);
            EXPECT_EQ(SendEventToEventTarget(to, GetControlEventTarget(pane)), noErr);
            HISize image{}, line{};
            GetEventParameter(info, kEventParamImageSize, typeHISize, nullptr, sizeof image, nullptr, &image);
            GetEventParameter(info, kEventParamLineSize, typeHISize, nullptr, sizeof line, nullptr, &line);
            ReleaseEvent(info);
            ReleaseEvent(to);
            EXPECT_EQ((std::array{image.width, image.height, line.width, line.height}), (std::array<CGFloat, 4>{140, 130, 16, 20}));
            HIRect r;
            HIViewGetBounds(pane, &r);
            EXPECT_TRUE(r.origin.x == 12 && r.origin.y == 7);
        }
        // A host that disposes the window first (taking the pane with it) can still close the view.
        DisposeWindow(std::exchange(window, nullptr));
        EXPECT_EQ(CloseComponent(view), noErr);
        EXPECT_EQ(CountLiveControls(), before);
        ASSERT_EQ(OpenAComponent(Registered(), &view), noErr);
    }
}

TEST_F(ViewBase, ClicksWantedEventsAndParameterChangesReachTheView)
{
    ASSERT_EQ(Create(0, &origin, &size), noErr);
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

    // A second request for the same target widens the one handler: each wanted kind arrives once.
    EventTargetRef target = GetWindowEventTarget(window);
    const EventTypeSpec one{kTestClass, 1}, two{kTestClass, 2};
    v->WantEventTypes(target, 1, &one);
    v->WantEventTypes(target, 1, &two);
    for (UInt32 kind : {1u, 2u, 3u}) {
        EventRef e = nullptr;
        CreateEvent(nullptr, kTestClass, kind, 0, 0, &e);
        EXPECT_EQ(SendEventToEventTarget(e, target), eventNotHandledErr);
        ReleaseEvent(e);
    }
    EXPECT_EQ(v->kinds, (std::vector<UInt32>{1, 2}));

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
    EXPECT_EQ(Create(0, &origin, nullptr), paramErr);
    EXPECT_EQ(Create(0, &origin, &size, false), paramErr);
    EXPECT_EQ(pane, nullptr);
    ComponentParameters params{};
    params.what = kAudioUnitCarbonViewSetEventListenerSelect;
    EXPECT_EQ(AUCarbonViewBase::ComponentEntryDispatch(&params, nullptr), paramErr);
    // Coordinates no 16-bit rectangle holds are truncated, never trusted.
    ASSERT_EQ(Create(0, &far, &odd), noErr);
    EXPECT_EQ(Bounds(pane)[1], 12);
    TestView::failUI = true;  // handed back as it is
    EXPECT_EQ(Create(0, &origin, &size), -4321);
    TestView::failUI = false;
}
