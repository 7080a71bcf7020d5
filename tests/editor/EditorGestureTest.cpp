// Real X input on the editor: knob drags and the status line, the wheel, Ctrl-click resets, and
// the Zero buttons with the engine clearing their triggers.
#include "tests/editor/EditorFixture.h"

namespace {

constexpr int kFeedback = 1;

// Feedback's knob centre and the status line's value text, in GUI units.
constexpr float kFeedbackX = 79, kFeedbackY = 40;

}  // namespace

class EditorGesture : public EditorTest {
protected:
    // The value text right of x = 550 on the status line, as pixels.
    std::vector<int> StatusValue(const edtest::Editor& e)
    {
        auto shot = Shot(e);
        std::vector<int> pixels;
        for (int y = edtest::kHeight - 303; y < edtest::kHeight - 287; ++y)
            for (int x = 550; x < 600; ++x) pixels.push_back(shot->At(x, y).r);
        return pixels;
    }
    static int Lit(const std::vector<int>& pixels)
    {
        int n = 0;
        for (int r : pixels) n += r > 100;
        return n;
    }
    void Render()
    {
        std::vector<float> left(512), right(512);
        float* out[] = {left.data(), right.data()};
        ASSERT_EQ(host->Render(out, 2, 512), noErr);
    }
};

TEST_F(EditorGesture, DraggingAKnobMovesItsParameterAndTheStatusLineShowsIt)
{
    edtest::Editor& e = Open();
    SetParam(kFeedback, 50);
    MovePointer(e.GlobalX(kFeedbackX), e.GlobalY(kFeedbackY));
    ASSERT_TRUE(PumpUntil([&] { return e.view->GetManager()->mouseOverParam.load() == kFeedback; }));
    Pump(0.2);
    const std::vector<int> before = StatusValue(e);
    EXPECT_GT(Lit(before), 10);

    Button(1, true);
    for (int i = 1; i <= 4; ++i) MovePointer(e.GlobalX(kFeedbackX), e.GlobalY(kFeedbackY + 4 * i));
    Button(1, false);
    EXPECT_TRUE(WaitParam(kFeedback, 58)) << Param(kFeedback);  // 0.5 + 16 x 0.005
    Pump(0.2);
    const std::vector<int> after = StatusValue(e);
    EXPECT_GT(Lit(after), 10);
    EXPECT_NE(before, after);

    MovePointer(e.GlobalX(300), e.GlobalY(120));  // nothing there
    ASSERT_TRUE(PumpUntil([&] { return e.view->GetManager()->mouseOverParam.load() == -1; }));
    Pump(0.2);
    EXPECT_EQ(Lit(StatusValue(e)), 0);
}

TEST_F(EditorGesture, TheWheelStepsTheKnobUnderThePointer)
{
    const struct {
        const char* name;
        int param;
        float x, y;  // knob centre
        float start;
        unsigned button;  // 4 up, 5 down
        int notches;
        const char* modifier;
        float expected;
    } cases[] = {
        {"1 % a notch", kFeedback, 79, 40, 50, 4, 3, nullptr, 53},
        {"0.1 % with shift", kFeedback, 79, 40, 50, 5, 2, "Shift_L", 49.8f},
        {"clamped at the top", kFeedback, 79, 40, 99.5f, 4, 2, nullptr, 100},
        {"seconds: 1 % of 30", 0, 35, 40, 10, 5, 1, nullptr, 9.7f},
        {"discrete: one beat", 6, 538, 40, 4, 4, 1, nullptr, 5},
        {"discrete: one divisor step down", 19, 582, 115, 2, 5, 1, nullptr, 1},
    };
    edtest::Editor& e = Open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetParam(c.param, c.start);
        MovePointer(e.GlobalX(c.x), e.GlobalY(c.y));
        Pump(0.1);
        if (c.modifier) Key(c.modifier, true);
        for (int i = 0; i < c.notches; ++i) {
            Button(c.button, true);
            Button(c.button, false);
        }
        if (c.modifier) Key(c.modifier, false);
        EXPECT_TRUE(WaitParam(c.param, c.expected)) << Param(c.param);
    }
    // Over no knob the wheel changes nothing.
    SetParam(kFeedback, 50);
    MovePointer(e.GlobalX(300), e.GlobalY(120));
    Pump(0.1);
    Button(4, true);
    Button(4, false);
    Pump(0.2);
    EXPECT_EQ(Param(kFeedback), 50);
}

TEST_F(EditorGesture, CtrlClickRestoresTheDefault)
{
    const struct {
        const char* name;
        int param;
        float x, y, start, expected;
    } cases[] = {
        {"Feedback", kFeedback, 79, 40, 30, 70},
        {"Host Sync: reset, not toggled", 5, 494, 40, 1, 0},
        {"LFO Beats: the reported default", 18, 538, 115, 9, 4},
    };
    edtest::Editor& e = Open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetParam(c.param, c.start);
        Pump(0.1);
        Click(e.GlobalX(c.x), e.GlobalY(c.y), "Control_L");
        EXPECT_TRUE(WaitParam(c.param, c.expected)) << Param(c.param);
    }
}

TEST_F(EditorGesture, ZeroButtonsSetTheirTriggerAndTheEngineClearsIt)
{
    const struct {
        const char* name;
        int param;
        float x, y;
    } cases[] = {{"Sync", 4, 724, 35}, {"LFO Sync", 16, 724, 110}};
    edtest::Editor& e = Open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Param(c.param), 0);
        Click(e.GlobalX(c.x), e.GlobalY(c.y));
        EXPECT_TRUE(WaitParam(c.param, 1));
        Render();
        EXPECT_EQ(Param(c.param), 0);
    }
}
