// Frames drawn by the real render thread into a real window, read back from the X server and
// checked against the colours and geometry the manager and the elements draw with.
#include <GL/gl.h>

#include <cmath>

#include "gui/Button.h"
#include "gui/Knob.h"
#include "gui/NamedGroup.h"
#include "tests/gui/ManagerFixture.h"

namespace {

// Static decoration painted once into the label bitmap: a red patch and a line of label text.
class LabelPatch : public TW::UIElement {
public:
    using UIElement::UIElement;
    void DrawLabel(const TW::Font* f) override
    {
        glColor4f(1, 0, 0, 1);
        glRectf(400, 40, 450, 60);
        glColor4f(1, 1, 1, 1);
        if (f) f->Draw("LABEL TEXT", 470, 45);
    }
};

using RGB = Screenshot::RGB;
bool IsBackground(const RGB& p) { return p.Near(51, 51, 0, 3); }
bool IsStatusBox(const RGB& p) { return p.Near(69, 69, 23, 3); }
bool IsYellow(const RGB& p) { return p.Near(255, 255, 0, 8); }
bool IsText(const RGB& p) { return !IsStatusBox(p) && !IsBackground(p); }

// Pixels of the GUI rectangle [x0, x1) x [y0, y1) for which `pred` holds.
template <class Pred>
int CountGui(const Screenshot& s, float x0, float y0, float x1, float y1, Pred pred)
{
    return s.Count(int(x0), guitest::kHeight - int(y1), int(x1), guitest::kHeight - int(y0), pred);
}

}  // namespace

class ManagerRender : public ManagerTest {};

TEST_F(ManagerRender, FrameShowsTheLabelBitmapTheKnobTheStatusLineAndTheTooltip)
{
    TW::Manager::ms_enableTooltip = true;
    // A named group with a knob on Feedback at world (100, 80)-(140, 120) and a button, the label patch.
    TW::Manager& m = MakeManager();
    auto* group = new TW::NamedGroup(&m, "Feedback", 10);
    group->offset = {80, 60, 0};
    m.root->AddChild(group);
    auto* knob = new TW::Knob(&m, kParam_Feedback, 20, 20, 40);
    group->AddChild(knob);
    group->AddChild(new TW::Button(&m, "Sync", nullptr, nullptr, 80, 30, 60, 20, -2));
    new LabelPatch(&m);
    MovePointer(5, 5);  // away from the window, so nothing is hovered
    SetParam(kParam_Feedback, 25);
    ASSERT_TRUE(PumpUntil([&] { return knob->normalised.load() == 0.25f; }));
    Start();
    // The tooltip's area on the knob's centre line, from y = 100 up half a line.
    auto tipArea = [&](const Screenshot& s) {
        return CountGui(s, 60, 101, 180, 106, [](const RGB& p) { return p.r > 100 && !IsYellow(p); });
    };
    auto shot = Shot();
    EXPECT_EQ(tipArea(*shot), 0);
    ASSERT_TRUE(shot->Valid());
    ASSERT_EQ(shot->Width(), guitest::kWidth);
    // The label bitmap's clear colour where nothing is drawn, and its patch not mirrored.
    for (auto [x, y] : {std::pair{700.f, 30.f}, {300.f, 200.f}, {5.f, 5.f}, {765.f, 250.f}, {425.f, 265.f}})
        EXPECT_TRUE(IsBackground(shot->At(int(x), Row(y)))) << x << ", " << y;
    EXPECT_TRUE(shot->At(425, Row(50)).Near(255, 0, 0));
    EXPECT_GT(CountGui(*shot, 470, 40, 560, 60, [](const RGB& p) { return p.r > 200 && p.b > 200; }), 20);
    // The knob's green square, and its pointer at 25 %: 67.5 degrees left of straight up.
    auto green = [](const RGB& p) { return p.Near(0, 255, 0, 8); };
    EXPECT_GE(CountGui(*shot, 99, 85, 102, 115, green), 28);
    EXPECT_GE(CountGui(*shot, 105, 78, 135, 82, green), 28);
    const float a = (2 * 0.25f - 1) * 2.3561926f, px = 120 + 12 * std::sin(a), py = 100 + 12 * std::cos(a);
    EXPECT_GT(CountGui(*shot, px - 1, py - 1, px + 2, py + 2, IsYellow), 0) << px << ", " << py;
    EXPECT_EQ(CountGui(*shot, 239 - px, py - 1, 242 - px, py + 2, IsYellow), 0);  // mirrored: 75 %
    // The status box from (20, 290), empty where the hovered parameter's name will stand.
    EXPECT_TRUE(IsStatusBox(shot->At(30, Row(292))) && IsBackground(shot->At(15, Row(292))));
    EXPECT_EQ(CountGui(*shot, 400, 285, 740, 310, IsText), 0);

    // The hovered parameter: its name ending 10 before its value at 550; the tooltip faded in.
    manager->SetMouseOverParam(kParam_Feedback, knob);
    ASSERT_TRUE(WaitFrames(15));
    shot = Shot();
    EXPECT_GT(tipArea(*shot), 200);
    const float nameX = 540 - font->GetStringWidth("Feedback");
    EXPECT_GT(CountGui(*shot, nameX, 285, 540, 310, IsText), 20);
    EXPECT_EQ(CountGui(*shot, 400, 285, nameX - 2, 310, IsText), 0);
    manager->SetMouseOverParam(-1, nullptr);
    ASSERT_TRUE(WaitFrames(50, 20.0));  // 0.89^48 < 1/255
    EXPECT_EQ(tipArea(*Shot()), 0);
}
