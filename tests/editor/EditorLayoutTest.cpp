// The whole editor window read back from the X server and checked against its layout: group
// frames at the computed offsets, knob colours by unit, knob pointers at the angles of known
// values, the banner; and the pane's size at the stored scale.
#include "tests/editor/EditorFixture.h"

namespace {

using RGB = Screenshot::RGB;

int Row(float gy) { return edtest::kHeight - int(std::lround(gy)); }

// Frame lines are grey blended over the yellow-brown background, which has no blue.
bool FrameLine(const RGB& p) { return p.b > 30; }
bool Orange(const RGB& p) { return p.r > 80 && p.r > p.g + 25 && p.b < 60; }

// The mean colour of the 3 x 3 pixels around a GUI point.
RGB Around(const Screenshot& s, float gx, float gy)
{
    RGB sum{0, 0, 0};
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            RGB p = s.At(int(std::lround(gx)) + dx, Row(gy) + dy);
            sum = {sum.r + p.r, sum.g + p.g, sum.b + p.b};
        }
    return {sum.r / 9, sum.g / 9, sum.b / 9};
}

}  // namespace

TEST_F(EditorTest, GroupFramesStandAtTheComputedOffsets)
{
    // Frames: the group's offset less the margin of 10, its width and height from its children.
    struct Frame {
        const char* group;
        float x0, y0, x1, y1;
    } const frames[] = {
        {"Delay", 10, 10, 104, 70},      {"Mix", 119, 10, 213, 70},       {"Filter", 228, 10, 454, 70},
        {"Sync", 469, 10, 759, 70},      {"LFO Sync", 469, 85, 759, 145}, {"LFO", 360, 85, 454, 145},
        {"Flummel", 10, 160, 760, 280},
    };
    edtest::Editor& e = Open();
    auto shot = Shot(e);
    for (const Frame& f : frames) {
        SCOPED_TRACE(f.group);
        const int top = Row(f.y1 - 5), bottom = Row(f.y0 + 5);
        for (float x : {f.x0, f.x1}) {
            const int lit = shot->Count(int(x) - 1, top, int(x) + 1, bottom, FrameLine);
            EXPECT_GE(lit, bottom - top) << "edge at x " << x;
        }
    }
    // The 15-unit gaps between the frames of the first row hold no line.
    for (float gap : {111.5f, 220.5f, 461.5f})
        EXPECT_EQ(shot->Count(int(gap), Row(65), int(gap) + 1, Row(15), FrameLine), 0) << "gap at x " << gap;
}

TEST_F(EditorTest, KnobsAreColouredByTheirParametersUnit)
{
    struct Case {
        const char* knob;
        float cx, cy;  // the knob's centre: its square's centre raised by 5 for the label room
        bool (*colour)(const RGB&);
    } const cases[] = {
        {"Time (seconds): violet", 35, 40, [](const RGB& p) { return p.r > p.g + 60 && p.b > p.g + 60; }},
        {"Feedback (percent): orange", 79, 40, [](const RGB& p) { return p.r > p.g + 30 && p.g > p.b + 30; }},
        {"Cutoff (hertz): sky blue", 253, 40, [](const RGB& p) { return p.b > p.g && p.g > p.r + 40; }},
        {"Host Sync (boolean): green", 494, 40, [](const RGB& p) { return p.g > p.r + 60 && p.g > p.b + 60; }},
        {"LFO Speed (hertz): sky blue", 385, 115, [](const RGB& p) { return p.b > p.g && p.g > p.r + 40; }},
    };
    edtest::Editor& e = Open();
    auto shot = Shot(e);
    for (const Case& c : cases) {
        const RGB p = Around(*shot, c.cx, c.cy);
        EXPECT_TRUE(c.colour(p)) << c.knob << ": " << p.r << " " << p.g << " " << p.b;
    }
}

TEST_F(EditorTest, KnobPointersTurnFromMinusToPlus135Degrees)
{
    // Feedback (0 to 100 %), centre (79, 40), radius 15: the tip stands out past the body's 11.25.
    constexpr float kPi = 3.14159265f;
    const float angles[] = {-0.75f * kPi, 0.0f, 0.75f * kPi};
    const struct {
        float value;
        int pointsTo;  // index into angles
    } cases[] = {{0, 0}, {50, 1}, {100, 2}};
    edtest::Editor& e = Open();
    for (const auto& c : cases) {
        SetParam(1, c.value);
        Pump(0.3);
        auto shot = Shot(e);
        for (int i = 0; i < 3; ++i) {
            const RGB p = Around(*shot, 79 + 12.5f * std::sin(angles[i]), 40 + 12.5f * std::cos(angles[i]));
            EXPECT_EQ(Orange(p), i == c.pointsTo) << "value " << c.value << ", direction " << i << ": " << p.r << " "
                                                   << p.g << " " << p.b;
        }
    }
}

TEST_F(EditorTest, TheBannerStandsLeftOnTheStatusLine)
{
    edtest::Editor& e = Open();
    auto shot = Shot(e);
    auto text = [](const RGB& p) { return p.b > 80 && std::abs(p.r - p.b) < 40; };
    EXPECT_GT(shot->Count(60, Row(303), 240, Row(287), text), 100);
    // Nothing hovered: the rest of the line is empty.
    EXPECT_EQ(shot->Count(260, Row(303), 740, Row(287), text), 0);
}

TEST_F(EditorTest, TheStoredScaleSizesThePaneButNotTheHostWindow)
{
    const struct {
        int stored;  // 0: nothing stored
        int width, height;
    } cases[] = {{0, 770, 315}, {100, 770, 315}, {150, 1155, 472}, {50, 385, 157}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        if (c.stored) SetPrefInt(kPrefGuiScale, c.stored);
        edtest::Editor& e = Open(120, 140, false);
        Rect pane, control, window;
        GetControlBounds(e.pane, &pane);
        GetControlBounds(e.view->GetManager()->control, &control);
        GetWindowBounds(e.window, kWindowContentRgn, &window);
        EXPECT_EQ(pane.right - pane.left, c.width);
        EXPECT_EQ(pane.bottom - pane.top, c.height);
        EXPECT_EQ(control.right - control.left, c.width);
        EXPECT_EQ(control.bottom - control.top, c.height);
        EXPECT_EQ(window.right - window.left, 770);
        EXPECT_EQ(window.bottom - window.top, 315);
        Close(e);
    }
}
