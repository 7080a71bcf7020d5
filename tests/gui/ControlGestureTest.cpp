// Controls on the effect's real parameters: snapping, knob and slider gestures, toggles and
// resets, multi-slider columns, buttons, and the status ids they leave with the manager.
#include <vector>

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
    // One press, drag and release.
    static void Gesture(TW::UIElement* e, CGPoint down, CGPoint drag, unsigned long modifiers)
    {
        e->MouseDown(down, modifiers);
        e->MouseDrag(drag, modifiers);
        e->MouseUp(drag, modifiers);
    }

    TW::Group* group = nullptr;
};

}  // namespace

TEST_F(ControlGesture, DiscreteControlsWriteWholeStepsAndReportTheSnappedPosition)
{
    struct Case {
        int id;
        bool discrete;  // as decided from the parameter's unit
        bool forced;    // made discrete by hand
        float n, value, snapped;
    } cases[] = {
        {kDivisor, true, false, 0.4f, 2, 0.4f},  {kDivisor, true, false, 0.29f, 1, 0.2f},  // indexed 0..5
        {kBeats, true, false, 0.5f, 65, 64.0f / 127},                                     // beats 1..128
        {kHostTempo, true, false, 0.49f, 0, 0},  {kFeedback, false, false, 0.4f, 40, 0.4f},
        {kFilterType, false, false, 0.4f, 1.6f, 0.4f}, {kFilterType, false, true, 0.4f, 2, 0.5f},  // 0..4
    };
    for (const Case& c : cases) {
        auto* knob = Add<TW::Knob>(c.id, 0.f, 0.f, 30.f);
        EXPECT_EQ(knob->discrete, c.discrete) << c.id;
        knob->discrete = knob->discrete || c.forced;
        float n = c.n;
        knob->SetParamFromNormalised(knob->param, n);
        EXPECT_FLOAT_EQ(Param(c.id), c.value) << c.id << " at " << c.n;
        EXPECT_FLOAT_EQ(n, c.snapped) << c.id << " at " << c.n;
    }
}

TEST_F(ControlGesture, KnobsFollowVerticalTravelOnlyWithShiftTenTimesFiner)
{
    auto* knob = Add<TW::Knob>(kFeedback, 0.f, 0.f, 30.f);
    struct Case {
        unsigned long modifiers;
        float dx, dy, value;
    } cases[] = {{0, 0, 300, 100}, {shiftKey, 0, 300, 65}, {0, 500, 0, 50}, {0, 0, -40, 30}, {shiftKey, 7, -1200, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy << " modifiers " << c.modifiers);
        SetAndDeliver(kFeedback, 50);
        ASSERT_FLOAT_EQ(knob->normalised.load(), 0.5f);
        knob->MouseDown({110, 60}, c.modifiers);
        EXPECT_EQ(manager->draggedParam.load(), kFeedback);
        knob->MouseDrag({110 + c.dx, 60 + c.dy}, c.modifiers);
        knob->MouseUp({110 + c.dx, 60 + c.dy}, c.modifiers);
        EXPECT_EQ(manager->draggedParam.load(), -1);
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
        {kHostTempo, 0, 0, 1}, {kHostTempo, 1, 0, 0}, {kHostTempo, 1, cmdKey, 0},  // Boolean
        {kFeedback, 50, 0, 50}, {kFeedback, 50, cmdKey, 70},                      // default 70
        {kDivisor, 3, 0, 3},    {kShape, 0, 0, 0},  // discrete but not 0..1; 0..1 but continuous
    };
    for (const Case& c : cases) {
        auto* knob = Add<TW::Knob>(c.id, 0.f, 0.f, 30.f);
        SetAndDeliver(c.id, c.before);
        Gesture(knob, {110, 60}, {110, 60}, c.modifiers);
        EXPECT_FLOAT_EQ(Param(c.id), c.after) << c.id << " from " << c.before;
        EXPECT_FLOAT_EQ(knob->normalised.load(), TW::ControlBase::NormalisedFromParam(knob->param));
    }
}

TEST_F(ControlGesture, SlidersJumpToTheClickUnlessShiftMovesThemFinelyOrCommandResetsThem)
{
    auto* vertical = Add<TW::Slider>(kFeedback, 0.f, 0.f, 20.f, 100.f, false);    // world y 50..150
    auto* horizontal = Add<TW::Slider>(kFeedback, 0.f, 0.f, 200.f, 10.f, true);  // world x 100..300
    struct Case {
        TW::Slider* slider;
        unsigned long modifiers;
        CGPoint down, drag;
        float afterDown, afterDrag;
    } cases[] = {
        {vertical, 0, {110, 75}, {110, 125}, 25, 75},       {vertical, 0, {110, 20}, {300, 500}, 0, 100},
        {horizontal, 0, {150, 55}, {250, 0}, 25, 75},       {vertical, cmdKey, {110, 75}, {110, 140}, 70, 70},
        {horizontal, shiftKey, {150, 55}, {350, 55}, 50, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.down.x << "," << c.down.y << " modifiers " << c.modifiers);
        SetAndDeliver(kFeedback, 50);
        c.slider->MouseDown(c.down, c.modifiers);
        EXPECT_NEAR(Param(kFeedback), c.afterDown, 1e-3);
        c.slider->MouseDrag(c.drag, c.modifiers);
        EXPECT_NEAR(Param(kFeedback), c.afterDrag, 1e-3);
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
    Gesture(multi, {110, 60}, {110, 260}, shiftKey);  // 0.0005 a unit from the value at the press
    EXPECT_NEAR(Param(kDelayTime), 9, 1e-3);
    Gesture(multi, {110, 140}, {110, 60}, cmdKey);
    EXPECT_FLOAT_EQ(Param(kDelayTime), 1);
    SetAndDeliver(kBeats, 128);
    EXPECT_FLOAT_EQ(multi->values[6].load(), 1);
}

TEST_F(ControlGesture, ButtonsCallBackOnEveryReleaseWhereverThePointerIs)
{
    std::vector<TW::Button*> calls;
    auto* button = Add<TW::Button>(
        "Zero", +[](TW::Button* b, void* data) { static_cast<std::vector<TW::Button*>*>(data)->push_back(b); },
        static_cast<void*>(&calls), 0.f, 0.f, 50.f, 30.f, -3);
    button->MouseDown({110, 60}, 0);
    button->MouseDrag({900, -40}, 0);
    EXPECT_TRUE(calls.empty());
    button->MouseUp({900, -40}, 0);
    button->MouseUp({110, 60}, cmdKey);
    EXPECT_EQ(calls, (std::vector<TW::Button*>{button, button}));
    EXPECT_EQ(manager->draggedParam.load(), -1);
    // Leaving clears the status id only while it is still the button's own.
    button->MouseEntered();
    EXPECT_EQ(manager->mouseOverParam.load(), -3);
    manager->SetMouseOverParam(12, nullptr);
    button->MouseExited();
    EXPECT_EQ(manager->mouseOverParam.load(), 12);
}
