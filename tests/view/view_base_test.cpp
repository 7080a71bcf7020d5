// The editor view base as a host drives it through the view component: the pane in
// compositing and non-compositing windows, how far embedded controls reach, event routing,
// scrolling and parameter notifications.
#include <cmath>
#include <memory>
#include <vector>

#include "engine/TrWkFlummelEntry.h"
#include "engine/FlummelParameters.h"
#include "framework/ComponentEntryPoint.h"
#include "framework/view/AUCarbonViewBase.h"
#include "host/AUHost.h"
#include "platform/desktop/Events.h"
#include "tests/desktop/DisplayFixture.h"

namespace {

constexpr UInt32 kTestClass = FourCC("test");

struct Knob : AUCarbonViewControl {
    explicit Knob(std::vector<float>* heard) : heard(heard) {}
    void ParameterToControl(Float32 value) override { heard->push_back(value); }
    std::vector<float>* heard;
};

// Lays out two panes of its own, as an editor's CreateUI does, and records what it is asked.
class TestView : public AUCarbonViewBase {
public:
    explicit TestView(ComponentInstance ci) : AUCarbonViewBase(ci) { last = this; }
    ~TestView() override { last = nullptr; }

    OSStatus CreateUI(Float32 x, Float32 y) override
    {
        uiOffset = {x, y};
        if (failUI) return -4321;
        for (const Rect& local : {Rect{10, 20, 60, 140}, Rect{50, 5, 130, 70}, Rect{20, 30, 40, 50}}) {
            Rect r{SInt16(local.top + y), SInt16(local.left + x), SInt16(local.bottom + y), SInt16(local.right + x)};
            ControlRef c = nullptr;
            if (CreateUserPaneControl(GetCarbonWindow(), &r, 0, &c) != noErr) return -1;
            EmbedControl(c);
            children.push_back(c);
            bottomRights.push_back(BottomRight());
        }
        return noErr;
    }
    bool HandleEvent(EventRef e) override
    {
        if (GetEventClass(e) == kTestClass) {
            kinds.push_back(GetEventKind(e));
            return false;
        }
        return AUCarbonViewBase::HandleEvent(e);
    }
    Knob* AddKnob(std::vector<float>* heard)
    {
        auto k = std::make_unique<Knob>(heard);
        Knob* raw = k.get();
        AddControl(std::move(k));
        return raw;
    }

    static inline TestView* last = nullptr;
    static inline bool failUI = false;
    Float32Point uiOffset{-1, -1};
    std::vector<ControlRef> children;
    std::vector<Point> bottomRights;
    std::vector<UInt32> kinds;
};

class ViewBase : public DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        static Component c = RegisterComponent(
            ComponentDescription{kAudioUnitCarbonViewComponentType, FourCC("Test"), FourCC("TrWk"), 0, 0},
            &ComponentEntryPoint<TestView>::Dispatch, "Test View");
        ASSERT_EQ(OpenAComponent(c, &view), noErr);
        RegisterTrWkFlummel();
        ASSERT_EQ(AUHost::Open(TrWkFlummelDescription(), host), noErr);
    }
    void TearDown() override
    {
        if (view) CloseComponent(view);
        if (window) DisposeWindow(window);
        DisplayTest::TearDown();
    }
    OSStatus Create(WindowAttributes attributes, Float32Point location, ControlRef* pane)
    {
        window = ShownWindow(100, 100, 400, 300, attributes | kWindowStandardHandlerAttribute);
        if (!window) return -1;
        ControlRef root = nullptr;
        GetRootControl(window, &root);
        const Float32Point size{300, 200};
        return AudioUnitCarbonViewCreate(view, host->Unit(), window, root, &location, &size, pane);
    }
    static Rect Bounds(ControlRef c)
    {
        Rect r;
        GetControlBounds(c, &r);
        return r;
    }

    AudioUnitCarbonView view = nullptr;
    std::unique_ptr<AUHost> host;
    WindowRef window = nullptr;
};

bool operator==(const Rect& a, const Rect& b)
{
    return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

}  // namespace

TEST_F(ViewBase, NonCompositingWindowPlacesTheContentsAtTheHostsLocation)
{
    ControlRef pane = nullptr;
    ASSERT_EQ(Create(0, {30, 40}, &pane), noErr);
    TestView* v = TestView::last;
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane, v->GetCarbonPane());
    EXPECT_FALSE(v->IsCompositWindow());
    EXPECT_EQ(v->GetEditAudioUnit(), host->Unit());
    EXPECT_EQ(v->uiOffset.x, 30.f);
    EXPECT_EQ(v->uiOffset.y, 40.f);
    // Bottom-right grows with each control and stays put for one inside it.
    ASSERT_EQ(v->bottomRights.size(), 3u);
    EXPECT_EQ(v->bottomRights[0].v, 100);
    EXPECT_EQ(v->bottomRights[0].h, 170);
    EXPECT_EQ(v->bottomRights[1].v, 170);
    EXPECT_EQ(v->bottomRights[1].h, 170);
    EXPECT_EQ(v->bottomRights[2].v, 170);
    EXPECT_EQ(v->bottomRights[2].h, 170);
    // The pane, sized to 0 x 0 before the UI, now reaches the controls' bottom-right.
    EXPECT_TRUE(Bounds(pane) == (Rect{40, 30, 170, 170}));
    // Children keep their window positions inside the pane.
    EXPECT_TRUE(Bounds(v->children[0]) == (Rect{50, 50, 100, 170}));
    ControlRef parent = nullptr;
    ASSERT_EQ(GetSuperControl(v->children[1], &parent), noErr);
    EXPECT_EQ(parent, pane);
}

TEST_F(ViewBase, CompositingWindowPlacesTheContentsAtThePanesOrigin)
{
    ControlRef pane = nullptr;
    ASSERT_EQ(Create(kWindowCompositingAttribute, {30, 40}, &pane), noErr);
    TestView* v = TestView::last;
    EXPECT_TRUE(v->IsCompositWindow());
    EXPECT_EQ(v->uiOffset.x, 0.f);
    EXPECT_EQ(v->uiOffset.y, 0.f);
    EXPECT_EQ(v->BottomRight().v, 130);
    EXPECT_EQ(v->BottomRight().h, 140);
    EXPECT_EQ(HIViewGetSuperview(v->children[0]), pane);
    HIRect frame;
    ASSERT_EQ(HIViewGetFrame(pane, &frame), noErr);
    EXPECT_EQ(frame.origin.x, 30.f);
    EXPECT_EQ(frame.origin.y, 40.f);
    EXPECT_EQ(frame.size.width, 140.f);
    EXPECT_EQ(frame.size.height, 130.f);

    // Scrolling: the view answers its sizes and follows a new origin.
    EventRef info = nullptr;
    ASSERT_EQ(CreateEvent(nullptr, kEventClassScrollable, kEventScrollableGetInfo, 0, 0, &info), noErr);
    EXPECT_EQ(SendEventToEventTarget(info, GetControlEventTarget(pane)), noErr);
    HISize image{}, line{};
    HIPoint origin{-1, -1};
    GetEventParameter(info, kEventParamImageSize, typeHISize, nullptr, sizeof image, nullptr, &image);
    GetEventParameter(info, kEventParamLineSize, typeHISize, nullptr, sizeof line, nullptr, &line);
    GetEventParameter(info, kEventParamOrigin, typeHIPoint, nullptr, sizeof origin, nullptr, &origin);
    EXPECT_EQ(image.width, 140.f);
    EXPECT_EQ(image.height, 130.f);
    EXPECT_EQ(line.width, 16.f);
    EXPECT_EQ(line.height, 20.f);
    EXPECT_EQ(origin.x, 0.f);
    ReleaseEvent(info);

    EventRef to = nullptr;
    ASSERT_EQ(CreateEvent(nullptr, kEventClassScrollable, kEventScrollableScrollTo, 0, 0, &to), noErr);
    const HIPoint next{12, 7};
    SetEventParameter(to, kEventParamOrigin, typeHIPoint, sizeof next, &next);
    EXPECT_EQ(SendEventToEventTarget(to, GetControlEventTarget(pane)), noErr);
    ReleaseEvent(to);
    EXPECT_EQ(v->ScrollOrigin().x, 12.f);
    EXPECT_EQ(v->ScrollOrigin().y, 7.f);
    HIRect bounds;
    HIViewGetBounds(pane, &bounds);
    EXPECT_EQ(bounds.origin.x, 12.f);
    EXPECT_EQ(bounds.origin.y, 7.f);
}

TEST_F(ViewBase, ClicksOnThePaneClearTheFocusAndOthersPassOn)
{
    ControlRef pane = nullptr;
    ASSERT_EQ(Create(0, {0, 0}, &pane), noErr);
    TestView* v = TestView::last;
    auto click = [&](ControlRef target) {
        EventRef e = nullptr;
        CreateEvent(nullptr, kEventClassControl, kEventControlClick, 0, 0, &e);
        SetEventParameter(e, kEventParamDirectObject, typeControlRef, sizeof target, &target);
        const bool handled = v->HandleEvent(e);
        ReleaseEvent(e);
        return handled;
    };
    SetKeyboardFocus(window, v->children[0], kControlFocusNextPart);
    EXPECT_FALSE(click(v->children[0]));
    EXPECT_TRUE(click(pane));
    ControlRef focus = reinterpret_cast<ControlRef>(1);
    GetKeyboardFocus(window, &focus);
    EXPECT_EQ(focus, nullptr);
}

TEST_F(ViewBase, ASecondRequestForATargetWidensTheOneHandler)
{
    ControlRef pane = nullptr;
    ASSERT_EQ(Create(0, {0, 0}, &pane), noErr);
    TestView* v = TestView::last;
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
    // Each wanted kind reached the view once: one handler, with both kinds.
    EXPECT_EQ(v->kinds, (std::vector<UInt32>{1, 2}));
}

TEST_F(ViewBase, ParameterChangesReachTheListenedControl)
{
    ControlRef pane = nullptr;
    ASSERT_EQ(Create(0, {0, 0}, &pane), noErr);
    TestView* v = TestView::last;
    std::vector<float> heard;
    Knob* knob = v->AddKnob(&heard);
    const AudioUnitParameter feedback{host->Unit(), kParam_Feedback, kAudioUnitScope_Global, 0};
    ASSERT_EQ(AUListenerAddParameter(v->GetParameterListener(), knob, &feedback), noErr);
    ASSERT_EQ(AUParameterSet(nullptr, nullptr, &feedback, 42.f, 0), noErr);
    EXPECT_TRUE(PumpUntil([&] { return !heard.empty(); }));
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.back(), 42.f);
}

TEST_F(ViewBase, TheViewComponentsCallsCheckTheirArguments)
{
    window = ShownWindow(100, 100, 200, 200);
    ControlRef root = nullptr, pane = nullptr;
    GetRootControl(window, &root);
    const Float32Point at{0, 0}, size{10, 10};
    EXPECT_EQ(AudioUnitCarbonViewCreate(view, host->Unit(), window, root, &at, nullptr, &pane), paramErr);
    EXPECT_EQ(AudioUnitCarbonViewCreate(view, nullptr, window, root, &at, &size, &pane), paramErr);
    EXPECT_EQ(pane, nullptr);

    int userData = 0;
    auto listener = [](void*, AudioUnitCarbonView, const AudioUnitParameter*, AudioUnitCarbonViewEventID,
                       const void*) {};
    EXPECT_EQ(AudioUnitCarbonViewSetEventListener(view, listener, &userData), noErr);
    EXPECT_EQ(TestView::last->EventListenerUserData(), &userData);

    ComponentParameters params{};
    params.what = kAudioUnitCarbonViewSetEventListenerSelect;
    EXPECT_EQ(AUCarbonViewBase::ComponentEntryDispatch(&params, nullptr), paramErr);

    // Coordinates no 16-bit rectangle holds are truncated, never trusted.
    const Float32Point far{65536.f + 12.f, 1e12f}, odd{std::nanf(""), -1e30f};
    EXPECT_EQ(AudioUnitCarbonViewCreate(view, host->Unit(), window, root, &far, &odd, &pane), noErr);
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(Bounds(pane).left, 12);
    EXPECT_EQ(Bounds(pane).top, 0);

    // A failing CreateUI is handed back as it is.
    TestView::failUI = true;
    EXPECT_EQ(AudioUnitCarbonViewCreate(view, host->Unit(), window, root, &at, &size, &pane), -4321);
    TestView::failUI = false;
    EXPECT_GE(CallComponent(view, kComponentVersionSelect), 1);
}

TEST_F(ViewBase, AHostThatDisposesTheWindowFirstCanStillCloseTheView)
{
    const long before = CountLiveControls();
    ControlRef pane = nullptr;
    ASSERT_EQ(Create(0, {10, 10}, &pane), noErr);
    EXPECT_GT(CountLiveControls(), before);
    DisposeWindow(window);  // takes the pane and its controls with it
    window = nullptr;
    EXPECT_EQ(CloseComponent(view), noErr);
    view = nullptr;
    EXPECT_EQ(CountLiveControls(), before);
}
