// The editor window read back from the X server against its layout: group frames at the
// computed offsets, knob colours by unit, and the banner.
#include "tests/editor/EditorFixture.h"

namespace {

using RGB = Screenshot::RGB;

int Row(float gy) { return 315 - int(std::lround(gy)); }
// The background is yellow-brown without blue; frame lines and text are greys.
bool Grey(const RGB& p) { return p.b > 30; }

RGB Around(const Screenshot& s, float gx, float gy)  // mean of the 3 x 3 pixels
{
    RGB m{0, 0, 0};
    for (int i = 0; i < 9; ++i) {
        RGB p = s.At(int(std::lround(gx)) + i % 3 - 1, Row(gy) + i / 3 - 1);
        m = {m.r + p.r / 9, m.g + p.g / 9, m.b + p.b / 9};
    }
    return m;
}

}  // namespace

TEST_F(EditorTest, FramesKnobColoursAndBannerStandWhereTheLayoutPutsThem)
{
    // Frames: group offset less the margin of 10; widths and heights from the children.
    const struct {
        const char* group;
        float x0, y0, x1, y1;
    } frames[] = {{"Delay", 10, 10, 104, 70},  {"Mix", 119, 10, 213, 70},       {"Filter", 228, 10, 454, 70},
                  {"Sync", 469, 10, 759, 70},  {"LFO Sync", 469, 85, 759, 145}, {"LFO", 360, 85, 454, 145},
                  {"Flummel", 10, 160, 760, 280}};
    // Knob centres: the square's centre raised by 5 (the label room).
    const struct {
        const char* knob;
        float x, y;
        bool (*colour)(const RGB&);
    } knobs[] = {
        {"Time, seconds: violet", 35, 40, [](const RGB& p) { return p.r > p.g + 60 && p.b > p.g + 60; }},
        {"Feedback, percent: orange", 79, 40, [](const RGB& p) { return p.r > p.g + 30 && p.g > p.b + 30; }},
        {"Cutoff, hertz: sky blue", 253, 40, [](const RGB& p) { return p.b > p.g && p.g > p.r + 40; }},
        {"Host Sync, boolean: green", 494, 40, [](const RGB& p) { return p.g > p.r + 60 && p.g > p.b + 60; }},
        {"LFO Speed, hertz: sky blue", 385, 115, [](const RGB& p) { return p.b > p.g && p.g > p.r + 40; }},
    };
    EditorWindow& e = Open();
    auto shot = Shot(e);
    for (const auto& f : frames)
        for (float x : {f.x0, f.x1})
            EXPECT_GE(shot->Count(int(x) - 1, Row(f.y1 - 5), int(x) + 1, Row(f.y0 + 5), Grey), f.y1 - f.y0 - 10)
                << f.group << " edge at x " << x;
    for (float gap : {111.5f, 220.5f, 461.5f})  // 15 units between the frames of row 1
        EXPECT_EQ(shot->Count(int(gap), Row(65), int(gap) + 1, Row(15), Grey), 0) << "gap at x " << gap;
    for (const auto& k : knobs) {
        const RGB p = Around(*shot, k.x, k.y);
        EXPECT_TRUE(k.colour(p)) << k.knob << ": " << p.r << " " << p.g << " " << p.b;
    }
    // The banner on the left of the status line; with nothing hovered the rest is empty.
    auto text = [](const RGB& p) { return p.b > 60; };
    EXPECT_GT(shot->Count(60, Row(303), 240, Row(287), text), 100);
    EXPECT_EQ(shot->Count(260, Row(303), 740, Row(287), text), 0);
}
