// Real X input through XTest on a running editor: the gestures the drag loop hands out when a
// modifier changes, the command modifiers, hovering, and tracking regions.
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

void SendDrawContent(WindowRef w)
{
    EventRef e = nullptr;
    CreateEvent(nullptr, kEventClassWindow, kEventWindowDrawContent, 0, 0, &e);
    SendEventToEventTarget(e, GetWindowEventTarget(w));
    ReleaseEvent(e);
}

}  // namespace

class ManagerInput : public ManagerTest {};

TEST_F(ManagerInput, ModifierChangeGivesUpDownThenDragAtTheCurrentPointAndCtrlOrSuperAreCommand)
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

    std::string kinds, shifted;
    for (const Gesture& g : rec->log) {
        kinds += g.kind;
        shifted += (g.modifiers & shiftKey) ? 's' : '-';
    }
    // Down, drag; up, down and drag at the change; drag; the release's drag, up.
    ASSERT_EQ(kinds, "dgudgggu");
    EXPECT_EQ(shifted, "---sssss");
    const float xs[] = {210, 220, 220, 220, 220, 230, 230, 230};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(rec->log[i].p.x, xs[i]) << i;
    for (int i : {0, 2, 3, 4}) EXPECT_EQ(rec->log[i].p.y, i ? 120.f : 110.f) << i;

    for (const char* key : {"Control_L", "Super_L"}) {
        rec->log.clear();
        Key(key, true);
        Pump(0.05);
        Button(1, true);
        Button(1, false);
        Key(key, false);
        ASSERT_TRUE(PumpUntil([&] { return !rec->log.empty() && rec->log.back().kind == 'u'; })) << key;
        EXPECT_EQ(rec->log[0].modifiers & cmdKey, cmdKey) << key;
    }
}

TEST_F(ManagerInput, HoverSetsTheStatusIdAndAScaleChangeRebuildsScaledRegions)
{
    TW::Manager& m = MakeManager();
    auto* knob = new TW::Knob(&m, kParam_Feedback, 100, 100, 40);  // (100, 100)-(140, 140)
    m.root->AddChild(knob);
    MovePointer(5, 5);
    Start();
    MovePointer(GlobalX(120), GlobalY(120));
    ASSERT_TRUE(PumpUntil([&] { return manager->hoverElement.load() == knob; }));
    EXPECT_EQ(manager->tooltipElement.load(), knob);
    EXPECT_EQ(manager->mouseOverParam.load(), int(kParam_Feedback));

    EXPECT_EQ(manager->regions.size(), 2u);  // the root and the knob
    manager->SetGuiScale(2.0f);
    EXPECT_TRUE(manager->regions.empty() && manager->regionsDirty);
    Rect cb;
    GetControlBounds(manager->control, &cb);
    EXPECT_EQ(cb.right - cb.left, 2 * guitest::kWidth);
    EXPECT_EQ(cb.bottom - cb.top, 2 * guitest::kHeight);
    SendDrawContent(window);  // builds them again
    EXPECT_FALSE(manager->regionsDirty);
    EXPECT_EQ(manager->regions.size(), 2u);
}
