// Controls bound to the effect's real parameters: snapping, knob and slider gestures, toggles
// and resets, multi-slider columns, buttons, and the status ids they leave with the manager.
#include <cmath>
#include <vector>

#include "gui/Button.h"
#include "gui/Knob.h"
#include "gui/MultiSlider.h"
#include "gui/Slider.h"
#include "platform/desktop/Events.h"
#include "tests/gui/ManagerFixture.h"

namespace {

enum : int { kDelayTime = 0, kFeedback = 1, kHostTempo = 5, kBeats = 6, kDivisor = 7, kFilterType = 11, kShape = 13 };

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
        bool discrete;  // as the control decides from the parameter's unit
        float n, value, snapped;
    } cases[] = {
        {kDivisor, true, 0.4f, 2, 0.4f},           // indexed 0..5
        {kDivisor, true, 0.29f, 1, 0.2f},          // floor(1.45 + 0.5)
        {kDivisor, true, 1.0f, 5, 1.0f},
        {kBeats, true, 0.5f, 65, 64.0f / 127},    // beats 1..128: floor(63.5 + 1 + 0.5)
        {kHostTempo, true, 0.49f, 0, 0.0f},        // Boolean
        {kFeedback, false, 0.4f, 40, 0.4f},        // percent: continuous
        {kFilterType, false, 0.4f, 1.6f, 0.4f},    // generic: continuous
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "parameter " << c.id << " at " << c.n);
        auto* knob = Add<TW::Knob>(c.id, 0.f, 0.f, 30.f);
        EXPECT_EQ(knob->discrete, c.discrete);
        float n = c.n;
        knob->SetParamFromNormalised(knob->param, n);
        EXPECT_FLOAT_EQ(Param(c.id), c.value);
        EXPECT_FLOAT_EQ(n, c.snapped);
    }
    // A generic parameter made discrete rounds too: 0..4 at 0.4 becomes 2, half way.
    auto* type = Add<TW::Knob>(kFilterType, 0.f, 0.f, 30.f);
    type->discrete = true;
    float n = 0.4f;
    type->SetParamFromNormalised(type->param, n);
    EXPECT_FLOAT_EQ(Param(kFilterType), 2);
    EXPECT_FLOAT_EQ(n, 0.5f);
}

TEST_F(ControlGesture, KnobsFollowVerticalTravelOnlyWithShiftTenTimesFiner)
{
    auto* knob = Add<TW::Knob>(kFeedback, 0.f, 0.f, 30.f);
    struct Case {
        unsigned long modifiers;
        float dx, dy, value;
    } cases[] = {
        {0, 0, 300, 100},         // 200 units sweep the range: stops at the top
        {shiftKey, 0, 300, 65},   // 2000 units with shift: +0.15
        {0, 500, 0, 50},          // sideways travel counts for nothing
        {0, 0, -40, 30},
        {shiftKey, 7, -1200, 0},  // clamped at the bottom
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy << " modifiers " << c.modifiers);
        SetAndDeliver(kFeedback, 50);
        ASSERT_FLOAT_EQ(knob->normalised.load(), 0.5f);
        const CGPoint down{110, 60};
        knob->MouseDown(down, c.modifiers);
        EXPECT_EQ(manager->draggedParam, kFeedback);
        knob->MouseDrag({down.x + c.dx, down.y + c.dy}, c.modifiers);
        knob->MouseUp({down.x + c.dx, down.y + c.dy}, c.modifiers);
        EXPECT_EQ(manager->draggedParam, -1);
        EXPECT_NEAR(Param(kFeedback), c.value, 1e-3);
        EXPECT_NEAR(knob->normalised.load(), c.value / 100, 1e-5);
    }
}

TEST_F(ControlGesture, AKnobClickTogglesOnlyOnOffParametersAndCommandRestoresTheDefault)
{
    struct Case {
        int id;
        float before;
        unsigned long modifiers;
        float after;
    } cases[] = {
        {kHostTempo, 0, 0, 1},      // Boolean: a click toggles
        {kHostTempo, 1, 0, 0},
        {kHostTempo, 1, cmdKey, 0},  // command: the default instead
        {kFeedback, 50, 0, 50},     // not on/off: nothing until the pointer moves
        {kFeedback, 50, cmdKey, 70},
        {kDivisor, 3, 0, 3},        // discrete, but not 0..1
        {kShape, 0, 0, 0},          // 0..1, but continuous
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "parameter " << c.id << " from " << c.before);
        auto* knob = Add<TW::Knob>(c.id, 0.f, 0.f, 30.f);
        SetAndDeliver(c.id, c.before);
        knob->MouseDown({110, 60}, c.modifiers);
        knob->MouseUp({110, 60}, c.modifiers);
        EXPECT_FLOAT_EQ(Param(c.id), c.after);
        EXPECT_FLOAT_EQ(knob->normalised.load(), TW::ControlBase::NormalisedFromParam(knob->param));
    }
}

TEST_F(ControlGesture, SlidersJumpToTheClickInWorldUnitsUnlessShiftMovesThemFinely)
{
    // Local (0, 0)-(20, 100) and (0, 0)-(200, 10): world x from 100, y from 50.
    auto* vertical = Add<TW::Slider>(kFeedback, 0.f, 0.f, 20.f, 100.f, false);
    auto* horizontal = Add<TW::Slider>(kFeedback, 0.f, 0.f, 200.f, 10.f, true);
    struct Case {
        TW::Slider* slider;
        unsigned long modifiers;
        CGPoint down, drag;
        float afterDown, afterDrag;
    } cases[] = {
        {vertical, 0, {110, 75}, {110, 125}, 25, 75},
        {vertical, 0, {110, 20}, {300, 500}, 0, 100},           // clamped both ways
        {horizontal, 0, {150, 55}, {250, 0}, 25, 75},           // only x counts
        {vertical, cmdKey, {110, 75}, {110, 140}, 70, 70},      // command: default, no jump, no drag
        {horizontal, shiftKey, {150, 55}, {350, 55}, 50, 60},   // no jump; 0.0005 a unit from the click
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.down.x << "," << c.down.y << " modifiers " << c.modifiers);
        SetAndDeliver(kFeedback, 50);
        c.slider->MouseDown(c.down, c.modifiers);
        EXPECT_NEAR(Param(kFeedback), c.afterDown, 1e-3);
        c.slider->MouseDrag(c.drag, c.modifiers);
        c.slider->MouseUp(c.drag, c.modifiers);
        EXPECT_NEAR(Param(kFeedback), c.afterDrag, 1e-3);
    }
}

TEST_F(ControlGesture, MultiSlidersPickTheColumnUnderThePointerAndStayOnItWithOption)
{
    // Eight columns over parameters 0..7, local (0, 0)-(160, 100), world x 100..260, y 50..150.
    auto* multi = Add<TW::MultiSlider>(0, 8, 0.f, 0.f, 160.f, 100.f);
    ASSERT_EQ(multi->count, 8);
    ASSERT_EQ(multi->receivers.size(), 8u);
    EXPECT_EQ(multi->receivers[7]->column, 7);

    struct Index {
        float x, y;
        int column;
        float fy;
    } indices[] = {{100, 50, 0, 0}, {119.9f, 100, 0, 0.5f}, {120, 150, 1, 1}, {260, 110, 7, 0.6f},
                   {400, 300, 7, 1}, {0, 0, 0, 0}};
    for (const Index& c : indices) {
        float fx, fy;
        EXPECT_EQ(multi->MouseIndex({c.x, c.y}, fx, fy), c.column) << c.x;
        EXPECT_FLOAT_EQ(fy, c.fy) << c.y;
    }

    // A click exactly on the right edge edits column 7 (Beat Divisor, 0..5).
    multi->MouseDown({260, 110}, 0);
    EXPECT_FLOAT_EQ(Param(kDivisor), 3);
    EXPECT_EQ(manager->draggedParam, kDivisor);
    // Dragging sweeps across columns; with option it keeps to the column first clicked.
    multi->MouseDrag({130, 100}, 0);
    EXPECT_FLOAT_EQ(Param(kFeedback), 50);
    EXPECT_EQ(manager->draggedParam, kFeedback);
    multi->MouseDrag({105, 70}, optionKey);
    EXPECT_FLOAT_EQ(Param(kDivisor), 1);
    EXPECT_FLOAT_EQ(Param(kDelayTime), 1.0f);
    // Shift: 0.0005 a unit from the value the column had at the press.
    SetAndDeliver(kDelayTime, 6);
    multi->MouseDown({110, 60}, 0);
    EXPECT_FLOAT_EQ(Param(kDelayTime), 3);
    multi->MouseDrag({110, 260}, shiftKey);
    EXPECT_NEAR(Param(kDelayTime), 30 * (0.2 + 0.1), 1e-3);
    // Command resets the column to its default and drags nothing.
    multi->MouseDown({110, 140}, cmdKey);
    multi->MouseDrag({110, 60}, cmdKey);
    EXPECT_FLOAT_EQ(Param(kDelayTime), 1.0f);
    // Changes from elsewhere reach the column's value.
    SetAndDeliver(kBeats, 128);
    EXPECT_FLOAT_EQ(multi->values[6].load(), 1);
}

TEST_F(ControlGesture, ButtonsCallBackOnEveryReleaseWhereverThePointerIs)
{
    struct Calls {
        std::vector<TW::Button*> from;
    } calls;
    auto* button = Add<TW::Button>("Zero", +[](TW::Button* b, void* data) { static_cast<Calls*>(data)->from.push_back(b); },
                                   static_cast<void*>(&calls), 0.f, 0.f, 50.f, 30.f, -3);
    EXPECT_EQ(button->label, "Zero");
    button->MouseDown({110, 60}, 0);
    button->MouseDrag({900, -40}, 0);
    EXPECT_TRUE(calls.from.empty());
    EXPECT_EQ(manager->draggedParam, -1);
    button->MouseUp({900, -40}, 0);
    button->MouseUp({110, 60}, cmdKey);
    EXPECT_EQ(calls.from, (std::vector<TW::Button*>{button, button}));
}

TEST_F(ControlGesture, LeavingAnElementClearsTheStatusIdOnlyWhenItIsStillItsOwn)
{
    auto* knob = Add<TW::Knob>(kFeedback, 0.f, 0.f, 30.f);
    auto* button = Add<TW::Button>("Prefs", nullptr, nullptr, 40.f, 0.f, 80.f, 30.f, -2);
    auto* multi = Add<TW::MultiSlider>(0, 8, 0.f, 40.f, 160.f, 100.f);
    struct Case {
        TW::UIElement* enter;
        TW::UIElement* owner;  // the element that reports the status
        int id;
    } cases[] = {{knob, knob, kFeedback}, {button, button, -2}, {multi->receivers[2], multi, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        c.enter->MouseEntered();
        EXPECT_EQ(manager->mouseOverParam, c.id);
        EXPECT_EQ(manager->tooltipElement, c.owner);
        // Another element took the status first: leaving does not clear it.
        manager->SetMouseOverParam(12, nullptr);
        c.enter->MouseExited();
        EXPECT_EQ(manager->mouseOverParam, 12);
        c.enter->MouseEntered();
        c.enter->MouseExited();
        EXPECT_EQ(manager->mouseOverParam, -1);
    }
}
