// The editor window read back from the X server against its layout: group frames at the
// computed offsets with their gaps, and the banner.
#include "tests/editor/EditorFixture.h"

TEST_F(EditorTest, FramesAndBannerStandWhereTheLayoutPutsThem)
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
}
