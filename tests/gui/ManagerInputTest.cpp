// Real X input through XTest on a running editor: mouse-over and the status line, knob drags at
// the drag sensitivities, modifier changes in mid-drag, reset to default, and tracking regions.
#include <string>
#include <vector>

#include "gui/Knob.h"
#include "tests/gui/ManagerFixture.h"

namespace {

struct Gesture {
    char kind;  // 'd'own, 'g' drag, 'u'p
    CGPoint p;
    unsigned long modifiers;
};

// Records the gestures the manager's drag loop gives it.
class Recorder : public TW::UIElement {
public:
    Recorder(TW::Manager* m, const TW::Bounds& b) : UIElement(m), box(b) {}
    void ExtendBounds(TW::Bounds& b) const override { b.Expand(box); }
    UIElement* HitTest(const CGPoint& p) override
    {
        return p.x >= box.min.x && p.x <= box.max.x && p.y >= box.min.y && p.y <= box.max.y ? this : nullptr;
    }
    void MouseDown(const CGPoint& p, unsigned long m) override { log.push_back({'d', p, m}); }
    void MouseDrag(const CGPoint& p, unsigned long m) override { log.push_back({'g', p, m}); }
    void MouseUp(const CGPoint& p, unsigned long m) override { log.push_back({'u', p, m}); }

    TW::Bounds box;
    std::vector<Gesture> log;
};

}  // namespace

class ManagerInput : public ManagerTest {
protected:
    // A knob on Feedback at (100, 100)-(140, 140) starting from `value` percent.
    void Build(float value)
    {
        TW::Manager& m = MakeManager();
        knob = new TW::Knob(&m, kParam_Feedback, 100, 100, 40);
        m.root->AddChild(knob);
        MovePointer(5, 5);
        SetParam(kParam_Feedback, value);
        ASSERT_TRUE(PumpUntil([&] { return std::abs(knob->normalised.load() - value / 100) < 1e-6f; }));
        Start();
        MovePointer(GlobalX(120), GlobalY(120));
        ASSERT_TRUE(PumpUntil([&] { return manager->hoverElement.load() == knob; }));
    }
    bool WaitParam(float expected)
    {
        return PumpUntil([&] { return std::abs(Param(kParam_Feedback) - expected) < 0.01f; });
    }

    TW::Knob* knob = nullptr;
};

TEST_F(ManagerInput, EnteringAControlShowsItsParameterAndLeavingClearsIt)
{
    Build(50);
    EXPECT_EQ(manager->mouseOverParam.load(), int(kParam_Feedback));
    EXPECT_EQ(manager->tooltipElement.load(), knob);
    ASSERT_TRUE(WaitFrames(2));
    auto shot = Shot();
    // The value text right of x = 550 in the status line.
    EXPECT_GT(shot->Count(550, Row(308), 590, Row(286), [](const Screenshot::RGB& p) { return p.r > 90; }), 10);

    MovePointer(GlobalX(300), GlobalY(200));
    ASSERT_TRUE(PumpUntil([&] { return manager->mouseOverParam.load() == -1; }));
    EXPECT_EQ(manager->hoverElement.load(), nullptr);
}

TEST_F(ManagerInput, DragsMoveTheParameterBySensitivityAndReanchorOnAModifierChange)
{
    struct Case {
        const char* name;
        int dy1;          // units upward before `key` goes down
        const char* key;  // or null
        int dy2;          // units upward after it
        float expected;
    } const cases[] = {
        {"40 up", 40, nullptr, 0, 70},  // 0.5 + 40 x 0.005
        {"30 down", -30, nullptr, 0, 35},
        {"past the top", 150, nullptr, 0, 100},
        {"fine with shift", 0, "Shift_L", 40, 52},                 // 0.5 + 40 x 0.0005
        {"shift in mid-drag re-anchors", 20, "Shift_L", 100, 65},  // 60 %, then 100 fine
    };
    Build(50);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetParam(kParam_Feedback, 50);
        ASSERT_TRUE(PumpUntil([&] { return knob->normalised.load() == 0.5f; }));
        MovePointer(GlobalX(120), GlobalY(120));
        Pump(0.05);
        Button(1, true);
        for (int i = 1; i <= 4; ++i) MovePointer(GlobalX(120), GlobalY(120 + c.dy1 * i / 4));
        if (c.key) Key(c.key, true);
        for (int i = 1; i <= 4; ++i) MovePointer(GlobalX(120), GlobalY(120 + c.dy1 + c.dy2 * i / 4));
        Button(1, false);
        if (c.key) Key(c.key, false);
        EXPECT_TRUE(WaitParam(c.expected)) << Param(kParam_Feedback);
        EXPECT_TRUE(PumpUntil([&] { return manager->draggedParam.load() == -1; }));
    }
}

TEST_F(ManagerInput, ModifierChangeGivesUpDownThenDragAtTheCurrentPoint)
{
    TW::Manager& m = MakeManager();
    auto* rec = new Recorder(&m, TW::Bounds({200, 100, 0}, {260, 160, 0}));
    m.root->AddChild(rec);
    Start();
    MovePointer(GlobalX(210), GlobalY(110));
    Pump(0.05);
    Button(1, true);
    MovePointer(GlobalX(220), GlobalY(120));
    Key("Shift_L", true);
    MovePointer(GlobalX(230), GlobalY(130));
    Button(1, false);
    Key("Shift_L", false);
    ASSERT_TRUE(PumpUntil([&] { return rec->log.size() >= 2 && rec->log.back().kind == 'u'; }));

    std::string kinds;
    for (const Gesture& g : rec->log) kinds += g.kind;
    // Down, drag; up, down and drag at the change; drag; the release's drag, up.
    ASSERT_EQ(kinds, "dgudgggu");
    EXPECT_EQ(rec->log[0].p.x, 210.f);
    EXPECT_EQ(rec->log[0].p.y, 110.f);
    EXPECT_EQ(rec->log[1].p.x, 220.f);
    EXPECT_EQ(rec->log[0].modifiers & shiftKey, 0u);
    for (int i : {2, 3, 4}) {  // all at the point where the modifier changed
        EXPECT_EQ(rec->log[i].p.x, 220.f) << i;
        EXPECT_EQ(rec->log[i].p.y, 120.f) << i;
    }
    EXPECT_EQ(rec->log[2].modifiers & shiftKey, 0u);
    EXPECT_EQ(rec->log[3].modifiers & shiftKey, shiftKey);
    EXPECT_EQ(rec->log[4].modifiers & shiftKey, shiftKey);
    for (int i : {5, 6, 7}) EXPECT_EQ(rec->log[i].p.x, 230.f) << i;
    EXPECT_EQ(rec->log[7].modifiers & shiftKey, shiftKey);
}

TEST_F(ManagerInput, CommandClickResetsTheKnobWithCtrlOrSuper)
{
    Build(20);
    for (const char* key : {"Control_L", "Super_L"}) {
        SCOPED_TRACE(key);
        SetParam(kParam_Feedback, 20);
        ASSERT_TRUE(PumpUntil([&] { return knob->normalised.load() == 0.2f; }));
        Key(key, true);
        Pump(0.05);
        Button(1, true);
        Button(1, false);
        Key(key, false);
        EXPECT_TRUE(WaitParam(70)) << Param(kParam_Feedback);  // the default
        EXPECT_TRUE(PumpUntil([&] { return knob->normalised.load() == 0.7f; }));
    }
}

TEST_F(ManagerInput, UnknownTrackingRegionIsReportedAndIgnored)
{
    Build(50);
    EventRef e = nullptr;
    ASSERT_EQ(CreateEvent(nullptr, kEventClassMouse, kEventMouseExited, 0, 0, &e), noErr);
    MouseTrackingRef bogus = reinterpret_cast<MouseTrackingRef>(&e);
    SetEventParameter(e, kEventParamMouseTrackingRef, typeMouseTrackingRef, sizeof bogus, &bogus);
    testing::internal::CaptureStdout();
    SendEventToEventTarget(e, GetControlEventTarget(manager->control));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "region map weirdness\n");
    ReleaseEvent(e);
    EXPECT_EQ(manager->hoverElement.load(), knob);
    EXPECT_EQ(manager->mouseOverParam.load(), int(kParam_Feedback));
}

TEST_F(ManagerInput, ScaleChangeDropsTheRegionsAndScalesTheirRectangles)
{
    Build(50);
    const size_t built = manager->regions.size();
    EXPECT_EQ(built, 2u);  // the root and the knob
    manager->SetGuiScale(2.0f);
    EXPECT_TRUE(manager->regions.empty());
    EXPECT_TRUE(manager->regionsDirty);
    Rect cb;
    GetControlBounds(manager->control, &cb);
    EXPECT_EQ(cb.right - cb.left, 2 * guitest::kWidth);
    EXPECT_EQ(cb.bottom - cb.top, 2 * guitest::kHeight);
    Rect r;
    manager->BoundsToRect(10.7f, 20.f, 5.f, 15.f, r);
    EXPECT_EQ(r.left, cb.left + 21);
    EXPECT_EQ(r.right, cb.left + 40);
    EXPECT_EQ(r.top, cb.bottom - 30);
    EXPECT_EQ(r.bottom, cb.bottom - 10);
    // The next draw-content event builds them again.
    EventRef e = nullptr;
    ASSERT_EQ(CreateEvent(nullptr, kEventClassWindow, kEventWindowDrawContent, 0, 0, &e), noErr);
    SendEventToEventTarget(e, GetWindowEventTarget(window));
    ReleaseEvent(e);
    EXPECT_FALSE(manager->regionsDirty);
    EXPECT_EQ(manager->regions.size(), built);
}
