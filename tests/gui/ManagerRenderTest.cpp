// Frames drawn by the real render thread into a real window, read back from the X server and
// checked against the colours and geometry the manager and the elements draw with.
#include <GL/gl.h>

#include <cmath>

#include "gui/Button.h"
#include "gui/Knob.h"
#include "gui/NamedGroup.h"
#include "tests/support/AllocCounter.h"
#include "tests/gui/ManagerFixture.h"

namespace {

// Static decoration painted once into the label bitmap: a red patch and a line of label text.
class LabelPatch : public TW::UIElement {
public:
    using UIElement::UIElement;
    void DrawLabel(const TW::Font* f) override
    {
        glColor4f(1, 0, 0, 1);
        glBegin(GL_QUADS);
        glVertex2f(400, 40);
        glVertex2f(450, 40);
        glVertex2f(450, 60);
        glVertex2f(400, 60);
        glEnd();
        glColor4f(1, 1, 1, 1);
        if (f) f->Draw("LABEL TEXT", 470, 45);
    }
};

const char* const kHelp[] = {"first help line", "second help line"};

using RGB = Screenshot::RGB;

bool IsBackground(const RGB& p) { return p.Near(51, 51, 0, 3); }
bool IsStatusBox(const RGB& p) { return p.Near(69, 69, 23, 3); }
bool IsGreen(const RGB& p) { return p.Near(0, 255, 0, 8); }
bool IsYellow(const RGB& p) { return p.Near(255, 255, 0, 8); }
bool IsOutline(const RGB& p) { return p.Near(89, 89, 64, 4); }  // (0.5, 0.5, 0.5, 0.5) over the background

}  // namespace

class ManagerRender : public ManagerTest {
protected:
    void Build()
    {
        TW::Manager& m = MakeManager();
        group = new TW::NamedGroup(&m, "Feedback", 10);
        group->offset = {80, 60, 0};
        m.root->AddChild(group);
        knob = new TW::Knob(&m, kParam_Feedback, 20, 20, 40);  // world (100, 80)-(140, 120)
        group->AddChild(knob);
        group->AddChild(new TW::Button(&m, "Sync", nullptr, nullptr, 80, 30, 60, 20, -2));
        new LabelPatch(&m);
        m.helpStrings = kHelp;
        MovePointer(5, 5);  // away from the window, so nothing is hovered
        SetParam(kParam_Feedback, 25);
        ASSERT_TRUE(PumpUntil([&] { return knob->normalised.load() == 0.25f; }));
        Start();
    }

    // Pixels of the window rectangle given in GUI units [x0, x1) x [y0, y1) for which `pred` holds.
    template <class Pred>
    static int CountGui(const Screenshot& s, float x0, float y0, float x1, float y1, Pred pred)
    {
        return s.Count(int(x0), Row(y1), int(x1), Row(y0), pred);
    }
    // Whether `pred` holds somewhere within one pixel of GUI (x, y).
    template <class Pred>
    static bool Near(const Screenshot& s, float x, float y, Pred pred)
    {
        return s.Count(int(x) - 1, Row(y) - 1, int(x) + 2, Row(y) + 2, pred) > 0;
    }

    TW::NamedGroup* group = nullptr;
    TW::Knob* knob = nullptr;
};

TEST_F(ManagerRender, LabelBitmapIsTheBackgroundRightSideUp)
{
    Build();
    auto shot = Shot();
    ASSERT_TRUE(shot->Valid());
    ASSERT_EQ(shot->Width(), guitest::kWidth);
    // The label bitmap's clear colour wherever nothing else is drawn.
    for (auto [x, y] : {std::pair{700.f, 30.f}, {300.f, 200.f}, {5.f, 5.f}, {765.f, 250.f}})
        EXPECT_TRUE(IsBackground(shot->At(int(x), Row(y)))) << x << ", " << y;
    // The patch painted by DrawLabel, at its place and not mirrored.
    EXPECT_TRUE(shot->At(425, Row(50)).Near(255, 0, 0));
    EXPECT_TRUE(IsBackground(shot->At(425, Row(guitest::kHeight - 50))));
    // Label text in the label font, white on the background.
    EXPECT_GT(CountGui(*shot, 470, 40, 560, 60, [](const RGB& p) { return p.r > 200 && p.b > 200; }), 20);
}

TEST_F(ManagerRender, KnobOutlineAndPointerAtItsValue)
{
    Build();
    auto shot = Shot();
    // The green square around (100, 80)-(140, 120).
    EXPECT_GE(CountGui(*shot, 99, 85, 102, 115, IsGreen), 28);
    EXPECT_GE(CountGui(*shot, 138, 85, 142, 115, IsGreen), 28);
    EXPECT_GE(CountGui(*shot, 105, 78, 135, 82, IsGreen), 28);
    // At 25 % the pointer leans 67.5 degrees left of straight up from the centre (120, 100).
    const float a = (2 * 0.25f - 1) * 2.3561926f;
    const float px = 120 + 12 * std::sin(a), py = 100 + 12 * std::cos(a);
    EXPECT_TRUE(Near(*shot, px, py, IsYellow)) << px << ", " << py;
    EXPECT_FALSE(Near(*shot, 240 - px, py, IsYellow));  // mirrored: 75 %
    EXPECT_FALSE(Near(*shot, 120, 112, IsYellow));      // straight up: 50 %
}

TEST_F(ManagerRender, NamedGroupOutlineLeavesAGapForItsTitle)
{
    Build();
    auto shot = Shot();
    // Group bounds: the children (100, 80)-(220, 120) grown by the margin: (90, 70)-(230, 130).
    EXPECT_GE(CountGui(*shot, 89, 75, 92, 125, IsOutline), 45);
    EXPECT_GE(CountGui(*shot, 229, 75, 232, 125, IsOutline), 45);
    const float titleEnd = 100 + font->GetStringWidth("Feedback");
    ASSERT_LT(titleEnd, 200);
    // The top edge is drawn right of the title and left of it, but not where the title sits.
    int best = -1, bestCount = 0;
    for (int row = Row(130) - 1; row <= Row(130) + 1; ++row) {
        int n = shot->Count(int(titleEnd) + 5, row, 228, row + 1, IsOutline);
        if (n > bestCount) best = row, bestCount = n;
    }
    ASSERT_GE(best, 0);
    EXPECT_GE(bestCount, int(0.9 * (228 - int(titleEnd) - 5)));
    EXPECT_GE(shot->Count(91, best, 99, best + 1, IsOutline), 7);
    EXPECT_LT(shot->Count(102, best, int(titleEnd) - 2, best + 1, IsOutline), int(0.5 * (titleEnd - 104)));
    // The title itself is drawn in the gap.
    EXPECT_GT(CountGui(*shot, 100, 122, titleEnd, 140, [](const RGB& p) { return !IsBackground(p); }), 20);
}

TEST_F(ManagerRender, StatusLineShowsTheHoveredParameter)
{
    Build();
    auto notBox = [](const RGB& p) { return !IsStatusBox(p) && !IsBackground(p); };
    auto shot = Shot();
    // The blended box from (20, 290), half a line high, and the banner in it.
    EXPECT_TRUE(IsStatusBox(shot->At(30, Row(292))));
    EXPECT_TRUE(IsStatusBox(shot->At(740, Row(292))));
    EXPECT_TRUE(IsBackground(shot->At(30, Row(287))));
    EXPECT_TRUE(IsBackground(shot->At(15, Row(292))));
    EXPECT_GT(CountGui(*shot, 60, 285, 200, 310, notBox), 30);
    EXPECT_EQ(CountGui(*shot, 400, 285, 740, 310, notBox), 0);

    manager->SetMouseOverParam(kParam_Feedback, knob);
    ASSERT_TRUE(WaitFrames(2));
    shot = Shot();
    const float nameX = 540 - font->GetStringWidth("Feedback");
    EXPECT_GT(CountGui(*shot, nameX, 285, 540, 310, notBox), 20);  // name ending 10 before 550
    EXPECT_GT(CountGui(*shot, 550, 285, 588, 310, notBox), 10);    // value
    EXPECT_GT(CountGui(*shot, 590, 285, 620, 310, notBox), 5);     // unit
    EXPECT_EQ(CountGui(*shot, 400, 285, nameX - 2, 310, notBox), 0);

    // A help entry (status id -3 shows entry 1) is drawn from x = 500.
    manager->SetMouseOverParam(-3, nullptr);
    ASSERT_TRUE(WaitFrames(2));
    shot = Shot();
    const float helpEnd = 500 + font->GetStringWidth(kHelp[1]);
    EXPECT_GT(CountGui(*shot, 500, 285, helpEnd, 310, notBox), 30);
    EXPECT_EQ(CountGui(*shot, helpEnd + 2, 285, 740, 310, notBox), 0);
    EXPECT_EQ(CountGui(*shot, 400, 285, 498, 310, notBox), 0);
}

TEST_F(ManagerRender, TooltipFadesInOverTheControlAndOut)
{
    TW::Manager::ms_enableTooltip = true;
    Build();
    // The tooltip sits on the knob's centre line, from y = 100 up half a line.
    auto tipArea = [&](const Screenshot& s) {
        return CountGui(s, 60, 101, 180, 106, [](const RGB& p) { return p.r > 100 && !IsYellow(p); });
    };
    EXPECT_EQ(tipArea(*Shot()), 0);
    manager->SetMouseOverParam(kParam_Feedback, knob);
    ASSERT_TRUE(WaitFrames(15));
    EXPECT_GT(tipArea(*Shot()), 200);
    manager->SetMouseOverParam(-1, nullptr);
    ASSERT_TRUE(WaitFrames(50));  // 0.89^48 < 1/255
    EXPECT_EQ(tipArea(*Shot()), 0);
}

TEST_F(ManagerRender, SteadyFramesAllocateNothing)
{
    TW::Manager::ms_enableTooltip = true;
    TW::Manager& m = MakeManager();
    auto* g = new TW::NamedGroup(&m, "Feedback", 10);
    m.root->AddChild(g);
    auto* k = new TW::Knob(&m, kParam_Feedback, 20, 20, 40);
    g->AddChild(k);
    g->AddChild(new TW::Button(&m, "Sync", nullptr, nullptr, 80, 30, 60, 20, -2));
    new LabelPatch(&m);
    ShowWindow(window);
    ASSERT_TRUE(PumpUntil([&] { return Viewable(GetWindowXID(window)); }));

    // Frames drawn on this thread: hovered knob, status line, tooltip.
    ASSERT_EQ(m.InitGL(), 0);
    m.SetMouseOverParam(kParam_Feedback, k);
    m.hoverElement = k;
    m.Update();
    m.Draw();
    // The first frame formats the status text. The software rasteriser (not this code) keeps
    // compiling each combination of GL state it first meets for a few frames more.
    for (int i = 0; i < 20; ++i) {
        m.Update();
        m.Draw();
    }
    testsupport::AllocationScope scope;
    for (int i = 0; i < 10; ++i) {
        m.Update();
        m.Draw();
    }
    EXPECT_EQ(scope.Count(), 0);
    EXPECT_GT(m.tooltip.alpha, 0.8f);
    m.ShutdownGL();
}
