// Controls on the effect's real parameters: snapping, knob gestures, hit testing through a group,
// and the status id a button leaves with the manager.
#include "gui/Button.h"
#include "gui/Knob.h"
#include "platform/desktop/Events.h"
#include "tests/gui/ManagerFixture.h"

namespace {

enum : int { kFeedback = 1, kHostTempo = 5, kBeats = 6, kDivisor = 7, kFilterType = 11, kShape = 13 };

// Every control sits in a group at (100, 50): mouse points are world units.
class ControlGesture : public ManagerTest {
protected:
    void SetUp() override
    {
        ManagerTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        MakeManager();
        group = new TW::Group(manager.get());
        group->offset = {100, 50, 0};
        manager->root->AddChild(group);
    }
    template <class T, class... Args>
    T* Add(Args... args)
    {
        T* e = new T(manager.get(), args...);
        group->AddChild(e);
        return e;
    }
    // Sets a parameter and lets the listener deliver it to the controls.
    void SetAndDeliver(int id, float value)
    {
        SetParam(id, value);
        Pump(0.1);
    }
    TW::Group* group = nullptr;
};

}  // namespace

TEST_F(ControlGesture, DiscreteControlsWriteWholeStepsAndReportTheSnappedPosition)
{
    struct Case {
        int id;
        bool discrete;  // as decided from the parameter's unit
        float n, value, snapped;
    } cases[] = {
        {kDivisor, true, 0.4f, 2, 0.4f},  {kDivisor, true, 0.29f, 1, 0.2f},  // indexed 0..5
        {kBeats, true, 0.5f, 65, 64.0f / 127},                            // beats 1..128
        {kHostTempo, true, 0.49f, 0, 0},  {kFeedback, false, 0.4f, 40, 0.4f},
        {kFilterType, false, 0.4f, 1.6f, 0.4f},  // 0..4
    };
    for (const Case& c : cases) {
        auto* knob = Add<TW::Knob>(c.id, 0.f, 0.f, 30.f);
        EXPECT_EQ(knob->discrete, c.discrete) << c.id;
        float n = c.n;
        knob->SetParamFromNormalised(knob->param, n);
        EXPECT_FLOAT_EQ(Param(c.id), c.value) << c.id << " at " << c.n;
        EXPECT_FLOAT_EQ(n, c.snapped) << c.id << " at " << c.n;
    }
}

// Knobs follow vertical travel only (shift ten times finer), a click toggles only on/off
// parameters, command restores the default.
TEST_F(ControlGesture, KnobGesturesMoveSnapToggleAndReset)
{
    const CGPoint k{110, 60};  // on a new knob at world (100, 50)-(130, 80)
    const unsigned long shift = shiftKey, cmd = cmdKey;
    struct Case {
        int id;
        float before;
        unsigned long modifiers;
        CGPoint drag;
        float afterDown, after;
    } const cases[] = {
        {kFeedback, 50, 0, {110, 360}, 50, 100}, {kFeedback, 50, shift, {110, 360}, 50, 65},
        {kFeedback, 50, 0, {610, 60}, 50, 50},   {kFeedback, 50, 0, {110, 20}, 50, 30},
        {kFeedback, 50, shift, {117, -1140}, 50, 0}, {kFeedback, 50, cmd, k, 70, 70},  // default 70
        {kHostTempo, 0, 0, k, 1, 1}, {kHostTempo, 1, 0, k, 0, 0},  // Boolean
        {kHostTempo, 1, cmd, k, 0, 0}, {kDivisor, 3, 0, k, 3, 3},  // discrete but not 0..1
        {kShape, 0, 0, k, 0, 0},                                     // 0..1 but continuous
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << " from " << c.before << " with modifiers " << c.modifiers << " to "
                                        << c.drag.x << "," << c.drag.y);
        TW::Control* control = Add<TW::Knob>(c.id, 0.f, 0.f, 30.f);
        SetAndDeliver(c.id, c.before);
        control->MouseDown(k, c.modifiers);
        EXPECT_EQ(manager->draggedParam.load(), c.id);
        EXPECT_NEAR(Param(c.id), c.afterDown, 1e-3);
        control->MouseDrag(c.drag, c.modifiers);
        control->MouseUp(c.drag, c.modifiers);
        EXPECT_EQ(manager->draggedParam.load(), -1);
        EXPECT_NEAR(Param(c.id), c.after, 1e-3);
        EXPECT_FLOAT_EQ(control->normalised.load(), TW::ControlBase::NormalisedFromParam(control->param));
    }
}

TEST_F(ControlGesture, TheFirstControlUnderAPointWinsInGroupUnitsTruncatedTowardZero)
{
    auto* first = Add<TW::Knob>(kFeedback, 0.f, 0.f, 30.f);  // world (100, 50)-(130, 80)
    auto* second = Add<TW::Knob>(kShape, 20.f, 20.f, 30.f);  // world (120, 70)-(150, 100)
    struct {
        float x, y;
        TW::UIElement* hit;
    } const hits[] = {{110, 60, first},   {125, 75, first},   {140, 90, second},    {150.9f, 100.9f, second},
                      {151, 90, nullptr}, {99.5f, 60, first}, {98.9f, 60, nullptr}};
    for (const auto& c : hits) EXPECT_EQ(group->HitTest({c.x, c.y}), c.hit) << c.x << "," << c.y;
}

TEST_F(ControlGesture, AButtonLeftClearsOnlyItsOwnStatusId)
{
    auto* button = Add<TW::Button>("Zero", nullptr, nullptr, 0.f, 0.f, 50.f, 30.f, -3);
    button->MouseEntered();
    EXPECT_EQ(manager->mouseOverParam.load(), -3);
    manager->SetMouseOverParam(12, nullptr);  // the next control entered before this one is left
    button->MouseExited();
    EXPECT_EQ(manager->mouseOverParam.load(), 12);
}
