// Controls on the effect's real parameters: snapping, knob and slider gestures, multi-slider
// columns, and the status id a button leaves with the manager.
#include <tuple>

#include "gui/Button.h"
#include "gui/Knob.h"
#include "gui/MultiSlider.h"
#include "gui/Slider.h"
#include "platform/desktop/Events.h"
#include "tests/gui/ManagerFixture.h"

namespace {

enum : int { kDelayTime = 0, kFeedback = 1, kHostTempo = 5, kBeats = 6, kDivisor = 7, kFilterType = 11, kShape = 13 };

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
// parameters, command restores the default; sliders jump to the click unless shift moves them
// finely from where they were.
TEST_F(ControlGesture, KnobAndSliderGesturesMoveSnapToggleAndReset)
{
    auto* v = Add<TW::Slider>(kFeedback, 0.f, 0.f, 20.f, 100.f, false);   // world y 50..150
    auto* h = Add<TW::Slider>(kFeedback, 0.f, 0.f, 200.f, 10.f, true);    // world x 100..300
    TW::Control* const knob = nullptr;  // a new knob at world (100, 50)-(130, 80)
    const CGPoint k{110, 60};
    const unsigned long shift = shiftKey, cmd = cmdKey;
    struct Case {
        TW::Control* control;
        int id;
        float before;
        unsigned long modifiers;
        CGPoint down, drag;
        float afterDown, after;
    } const cases[] = {
        {knob, kFeedback, 50, 0, k, {110, 360}, 50, 100}, {knob, kFeedback, 50, shift, k, {110, 360}, 50, 65},
        {knob, kFeedback, 50, 0, k, {610, 60}, 50, 50},   {knob, kFeedback, 50, 0, k, {110, 20}, 50, 30},
        {knob, kFeedback, 50, shift, k, {117, -1140}, 50, 0}, {knob, kFeedback, 50, cmd, k, k, 70, 70},  // default 70
        {knob, kHostTempo, 0, 0, k, k, 1, 1}, {knob, kHostTempo, 1, 0, k, k, 0, 0},  // Boolean
        {knob, kHostTempo, 1, cmd, k, k, 0, 0}, {knob, kDivisor, 3, 0, k, k, 3, 3},  // discrete but not 0..1
        {knob, kShape, 0, 0, k, k, 0, 0},                                           // 0..1 but continuous
        {v, kFeedback, 50, 0, {110, 75}, {110, 125}, 25, 75}, {v, kFeedback, 50, 0, {110, 20}, {300, 500}, 0, 100},
        {h, kFeedback, 50, 0, {150, 55}, {250, 0}, 25, 75},   {v, kFeedback, 50, cmd, {110, 75}, {110, 140}, 70, 70},
        {h, kFeedback, 50, shift, {150, 55}, {350, 55}, 50, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.control ? "slider " : "knob ") << c.id << " from " << c.before << " at "
                                        << c.down.x << "," << c.down.y << " modifiers " << c.modifiers);
        TW::Control* control = c.control ? c.control : Add<TW::Knob>(c.id, 0.f, 0.f, 30.f);
        SetAndDeliver(c.id, c.before);
        control->MouseDown(c.down, c.modifiers);
        EXPECT_EQ(manager->draggedParam.load(), c.id);
        EXPECT_NEAR(Param(c.id), c.afterDown, 1e-3);
        control->MouseDrag(c.drag, c.modifiers);
        control->MouseUp(c.drag, c.modifiers);
        EXPECT_EQ(manager->draggedParam.load(), -1);
        EXPECT_NEAR(Param(c.id), c.after, 1e-3);
        EXPECT_FLOAT_EQ(control->normalised.load(), TW::ControlBase::NormalisedFromParam(control->param));
    }
}

TEST_F(ControlGesture, MultiSlidersEditTheColumnUnderThePointerOrWithOptionTheFirstOne)
{
    // Parameters 0..7 in eight columns: world x 100..260, y 50..150.
    auto* multi = Add<TW::MultiSlider>(0, 8, 0.f, 0.f, 160.f, 100.f);
    ASSERT_EQ(multi->receivers.size(), 8u);
    multi->MouseDown({260, 110}, 0);  // exactly on the right edge: column 7, not 8
    EXPECT_FLOAT_EQ(Param(kDivisor), 3);
    EXPECT_EQ(manager->draggedParam.load(), kDivisor);
    multi->MouseDrag({130, 100}, 0);
    EXPECT_FLOAT_EQ(Param(kFeedback), 50);
    multi->MouseDrag({105, 70}, optionKey);
    EXPECT_FLOAT_EQ(Param(kDivisor), 1);
    EXPECT_FLOAT_EQ(Param(kDelayTime), 1);
    SetAndDeliver(kDelayTime, 6);
    const std::tuple<CGPoint, CGPoint, unsigned long, float> presses[] = {{{110, 60}, {110, 260}, shiftKey, 9},
                                                                          {{110, 140}, {110, 60}, cmdKey, 1}};
    for (auto [down, drag, modifiers, value] : presses) {  // shift: 0.0005 a unit from the value at the press
        multi->MouseDown(down, modifiers);
        multi->MouseDrag(drag, modifiers);
        multi->MouseUp(drag, modifiers);
        EXPECT_NEAR(Param(kDelayTime), value, 1e-3) << modifiers;
    }
    SetAndDeliver(kBeats, 128);
    EXPECT_FLOAT_EQ(multi->values[6].load(), 1);
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
