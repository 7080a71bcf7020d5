// The editor window read back from the X server and real X input on it: group frames at the
// computed offsets with their gaps and the banner, a knob drag and the status line, the wheel,
// Ctrl-click resets, the buttons' help texts, and the Zero buttons with the engine clearing their
// triggers.
#include "tests/editor/EditorFixture.h"

namespace {

constexpr int kFeedback = 1;  // its knob's centre: (79, 40)

// Bright pixels of the status line right of x = 500 (help texts start there, values at 550).
int StatusText(const Screenshot& s) { return s.Count(500, 315 - 303, 740, 315 - 287, [](auto p) { return p.r > 100; }); }

}  // namespace

TEST_F(EditorTest, LayoutAtRestThenADragAndTheButtonsOnTheStatusLine)
{
    // Frames: group offset less the margin of 10; widths and heights from the children.
    const struct {
        const char* group;
        float x0, y0, x1, y1;
    } frames[] = {{"Delay", 10, 10, 104, 70},  {"Mix", 119, 10, 213, 70},       {"Filter", 228, 10, 454, 70},
                  {"Sync", 469, 10, 759, 70},  {"LFO Sync", 469, 85, 759, 145}, {"LFO", 360, 85, 454, 145},
                  {"Flummel", 10, 160, 760, 280}};
    auto row = [](float gy) { return 315 - int(std::lround(gy)); };
    auto grey = [](const Screenshot::RGB& p) { return p.b > 30; };  // the background has no blue
    EditorWindow& e = Open();
    auto shot = Shot(e);
    for (const auto& f : frames)
        for (float x : {f.x0, f.x1})
            EXPECT_GE(shot->Count(int(x) - 1, row(f.y1 - 5), int(x) + 1, row(f.y0 + 5), grey), f.y1 - f.y0 - 10)
                << f.group << " edge at x " << x;
    for (float gap : {111.5f, 220.5f, 461.5f})  // 15 units between the frames of row 1
        EXPECT_EQ(shot->Count(int(gap), row(65), int(gap) + 1, row(15), grey), 0) << "gap at x " << gap;
    // The banner on the left of the status line; with nothing hovered the rest is empty.
    auto text = [](const Screenshot::RGB& p) { return p.b > 60; };
    EXPECT_GT(shot->Count(60, row(303), 240, row(287), text), 100);
    EXPECT_EQ(shot->Count(260, row(303), 740, row(287), text), 0);

    // A drag moves the knob by half a percent a unit; the status line shows the value.
    SetParam(kFeedback, 50);
    MovePointer(e.X(79), e.Y(40));
    ASSERT_TRUE(PumpUntil([&] { return e.view->GetManager()->mouseOverParam.load() == kFeedback; }));
    Pump(0.2);
    auto before = Shot(e);
    Button(1, true);
    for (int i = 1; i <= 4; ++i) MovePointer(e.X(79), e.Y(40 + 4 * i));
    Button(1, false);
    EXPECT_TRUE(WaitParam(kFeedback, 58)) << Param(kFeedback);  // 0.5 + 16 x 0.005
    Pump(0.2);
    auto after = Shot(e);
    EXPECT_GT(StatusText(*before), 20);
    int changed = 0;  // "50" became "58"
    for (int x = 550; x < 600; ++x)
        for (int y = 315 - 303; y < 315 - 287; ++y) changed += before->At(x, y).r != after->At(x, y).r;
    EXPECT_GT(changed, 5);

    MovePointer(e.X(300), e.Y(120));  // over nothing: the line empties
    ASSERT_TRUE(PumpUntil([&] { return e.view->GetManager()->mouseOverParam.load() == -1; }));
    Pump(0.2);
    EXPECT_EQ(StatusText(*Shot(e)), 0);

    // The buttons show their help; a Zero button sets a trigger that the engine clears.
    const struct {
        const char* name;
        float x, y;
        int help;     // the status id while hovered
        int trigger;  // -1: none
    } cases[] = {{"Prefs", 60, 110, -2, -1}, {"Sync Zero", 724, 35, -3, 4}, {"LFO Sync Zero", 724, 110, -3, 16}};
    for (const auto& c : cases) {
        MovePointer(e.X(c.x), e.Y(c.y));
        EXPECT_TRUE(PumpUntil([&] { return e.view->GetManager()->mouseOverParam.load() == c.help; })) << c.name;
        Pump(0.2);
        EXPECT_GT(StatusText(*Shot(e)), 20) << c.name;
        if (c.trigger < 0) continue;
        Click(e.X(c.x), e.Y(c.y));
        EXPECT_TRUE(WaitParam(c.trigger, 1)) << c.name;
        std::vector<std::vector<float>> in(2, std::vector<float>(512)), out;
        ASSERT_EQ(host->Process(in, out, 512), noErr);
        EXPECT_EQ(Param(c.trigger), 0) << c.name;
    }
}

// The wheel (buttons 4 up, 5 down) steps the knob under the pointer; Ctrl-click (button 1)
// restores the default the effect reports.
TEST_F(EditorTest, TheWheelStepsAndCtrlClickResetsTheKnobUnderThePointer)
{
    const struct {
        const char* name;
        int param;
        float x, y, start;
        unsigned button;
        int presses;
        const char* modifier;
        float expected;
    } cases[] = {
        {"1 % a notch", kFeedback, 79, 40, 50, 4, 3, nullptr, 53},
        {"0.1 % with shift", kFeedback, 79, 40, 50, 5, 2, "Shift_L", 49.8f},
        {"held at the top", kFeedback, 79, 40, 99.5f, 4, 2, nullptr, 100},
        {"seconds: 1 % of 30", 0, 35, 40, 10, 5, 1, nullptr, 9.7f},
        {"discrete: one beat", 6, 538, 40, 4, 4, 1, nullptr, 5},
        {"discrete: one divisor down", 19, 582, 115, 2, 5, 1, nullptr, 1},
        {"over no knob: nothing", kFeedback, 300, 120, 50, 4, 1, nullptr, 50},
        {"Feedback's default", kFeedback, 79, 40, 30, 1, 1, "Control_L", 70},
        {"Host Sync: reset, not toggled", 5, 494, 40, 1, 1, 1, "Control_L", 0},
        {"LFO Beats: the reported default, not the initial one", 18, 538, 115, 9, 1, 1, "Control_L", 4},
    };
    EditorWindow& e = Open();
    for (const auto& c : cases) {
        SetParam(c.param, c.start);
        Click(e.X(c.x), e.Y(c.y), c.modifier, c.button, c.presses);
        Pump(0.1);  // so that a wrong change has happened before the check
        EXPECT_TRUE(WaitParam(c.param, c.expected)) << c.name << ": " << Param(c.param);
    }
}
