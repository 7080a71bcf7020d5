// The styled widgets and displays drawn by the real render thread into a real window, read back
// from the X server and checked against the colours and places they are drawn with.
#include <cmath>
#include <numbers>
#include <vector>

#include "editor/Kitt.h"
#include "editor/PhaseDisc.h"
#include "editor/VrelButton.h"
#include "editor/VrelKnob.h"
#include "editor/VrelKnobRenderer.h"
#include "editor/WaveformDisplay.h"
#include "tests/gui/ManagerFixture.h"

namespace {

using RGB = Screenshot::RGB;
constexpr double kPi = std::numbers::pi;
const RGB kBackground{51, 51, 0};

bool IsBackground(const RGB& p) { return p.Near(kBackground.r, kBackground.g, kBackground.b, 3); }
// `colour` (0..1) at `alpha` over the background.
RGB Over(float r, float g, float b, float alpha)
{
    auto mix = [alpha](float c, int bg) { return int(std::lround(alpha * 255 * c + (1 - alpha) * bg)); };
    return {mix(r, kBackground.r), mix(g, kBackground.g), mix(b, kBackground.b)};
}

}  // namespace

class EditorFrames : public ManagerTest {
protected:
    TW::Group* MakeGroup(float x, float y)
    {
        auto* g = new TW::Group(manager.get());
        g->offset = {x, y, 0};
        manager->root->AddChild(g);
        return g;
    }
    // Whether `pred` holds for some pixel within one of GUI (x, y).
    template <class Pred>
    static bool Near(const Screenshot& s, double x, double y, Pred pred)
    {
        return s.Count(int(x) - 1, Row(float(y)) - 1, int(x) + 2, Row(float(y)) + 2, pred) > 0;
    }
    template <class Pred>
    static bool AllNear(const Screenshot& s, double x, double y, Pred pred)
    {
        return s.Count(int(x) - 1, Row(float(y)) - 1, int(x) + 2, Row(float(y)) + 2, pred) == 9;
    }
    // The pixel that holds GUI (x, y).
    static RGB At(const Screenshot& s, double x, double y)
    {
        return s.At(int(std::floor(x)), guitest::kHeight - 1 - int(std::floor(y)));
    }
    // The window's picture once it shows a drawn frame all over: the server may hand back a
    // window just exposed and not yet redrawn, or one partly under another test's window.
    std::unique_ptr<Screenshot> DrawnShot()
    {
        std::unique_ptr<Screenshot> s;
        EXPECT_TRUE(PumpUntil([&] {
            SyncWindowServer();  // taken as it is: asking for frames would move the displays on
            s = std::make_unique<Screenshot>(mX, GetWindowXID(window));
            if (!s->Valid()) return false;
            for (auto [x, y] : {std::pair{5, 5}, {5, 308}, {765, 308}, {765, 5}, {385, 5}})
                if (!IsBackground(At(*s, x, y))) {
                    SelectWindow(window);
                    return false;
                }
            return true;
        }));
        return s;
    }

    // Renders `frames` blocks of 20 ms of silence, one drawn frame after each (constant redraw off).
    void Play(int blocks)
    {
        std::vector<std::vector<float>> in(2, std::vector<float>(882)), out;
        for (int i = 0; i < blocks; ++i) {
            ASSERT_EQ(host->Process(in, out, 882), noErr);
            const int target = counter->frames.load() + 1;
            manager->NudgeGUI();
            ASSERT_TRUE(PumpUntil([&] { return counter->frames.load() >= target; }));
        }
        Pump(0.15);  // the last frame reaches the screen
    }
    DataToGui EngineData()
    {
        DataToGui d{};
        UInt32 size = sizeof d;
        EXPECT_EQ(AudioUnitGetProperty(host->Unit(), kDataToGuiProperty, kAudioUnitScope_Global, 0, &d, &size), noErr);
        return d;
    }
};

TEST_F(EditorFrames, KnobsShowTheirColourAtTheCentreAndPointWhereTheirValueSays)
{
    TW::Manager& m = MakeManager();
    auto* renderer = new TW::VrelKnobRenderer(&m);
    m.effects.push_back(renderer);
    TW::Group* g = MakeGroup(100.5f, 40.5f);
    // Size 40 at (60 i, 0) in the group: centres (120.5 + 60 i, 65.5), on pixel centres; radius 20.
    struct Case {
        int param;
        const char* label;
        float value;
        TW::Vec4 colour;
        double degrees;
        double darkDegrees[2];  // directions without a pointer, clear of the label
    } const cases[] = {
        {kParam_DelayTime, "W", 15, {0.8f, 0.1f, 0.9f, 1}, 0, {90, -90}},
        {kParam_FilterCutoff, "M", 50, {0.2f, 0.7f, 0.9f, 1}, -135, {135, -45}},
        {kParam_HostTempo, "H", 1, {0.2f, 0.95f, 0.3f, 1}, 135, {-135, 45}},
        {kParam_Feedback, "N", 25, {1, 0.6f, 0, 1}, -67.5, {67.5, 22.5}},
    };
    std::vector<TW::VrelKnob*> knobs;
    for (const Case& c : cases) {
        knobs.push_back(new TW::VrelKnob(&m, renderer, c.param, c.label, 60.0f * float(knobs.size()), 0, 40));
        g->AddChild(knobs.back());
        SetParam(c.param, c.value);
    }
    MovePointer(5, 5);
    ASSERT_TRUE(PumpUntil([&] { return knobs[0]->normalised.load() == 0.5f && knobs[3]->normalised.load() == 0.25f; }));
    Start();
    auto shot = DrawnShot();
    ASSERT_TRUE(shot->Valid());
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.label);
        const double cx = 120.5 + 60.0 * double(i), cy = 65.5;
        // The centre faces the viewer: its own colour.
        const RGB want = Over(c.colour.x, c.colour.y, c.colour.z, 1), got = At(*shot, cx, cy);
        EXPECT_TRUE(got.Near(want.r, want.g, want.b, 4)) << got.r << " " << got.g << " " << got.b;
        // Beyond the disc (0.75 of the radius) only the pointer reaches out.
        const double a = c.degrees * kPi / 180;
        EXPECT_TRUE(Near(*shot, cx + 16 * std::sin(a), cy + 16 * std::cos(a),
                         [](const RGB& p) { return p.r + p.g + p.b > 250; }));
        for (double dark : c.darkDegrees) {
            const double d = dark * kPi / 180;
            EXPECT_TRUE(AllNear(*shot, cx + 18 * std::sin(d), cy + 18 * std::cos(d), IsBackground)) << dark;
        }
        // The label, centred under the knob, its baseline half a line below the knob's middle.
        auto label = [](const RGB& p) { return p.b > 90; };
        EXPECT_GT(shot->Count(int(cx) - 4, Row(49), int(cx) + 5, Row(38), label), 5);
        EXPECT_EQ(shot->Count(int(cx) - 12, Row(49), int(cx) - 5, Row(38), label), 0);
    }
}

TEST_F(EditorFrames, ButtonGlowsWhileHoveredAndShowsItsLabel)
{
    TW::Manager& m = MakeManager();
    auto* button = new TW::VrelButton(&m, "Zero", nullptr, nullptr, 0, 0, 80, 30, -3);
    MakeGroup(100, 120)->AddChild(button);  // world (100, 120)-(180, 150)
    MovePointer(5, 5);
    Start();
    ASSERT_TRUE(WaitFrames(2));
    const RGB rest = Over(0.3f, 0.3f, 0.3f, 0.2f), hover = Over(0.8f, 0.4f, 0.1f, 0.3f);
    // The corner's colour once it settles (a shot taken while the window is exposed may miss it).
    auto cornerIs = [&](const RGB& want) {
        return PumpUntil([&] { return At(*DrawnShot(), 103, 123).Near(want.r, want.g, want.b, 2); }, 2.0);
    };
    EXPECT_TRUE(cornerIs(rest));
    auto shot = DrawnShot();
    EXPECT_TRUE(IsBackground(At(*shot, 97, 123)));  // the label's light text inside
    EXPECT_GT(shot->Count(110, Row(145), 170, Row(125), [](const RGB& p) { return p.r > 150 && p.g > 150; }), 10);

    // 45 frames leave 0.85^45 of the way: under half a level. Constant redraw keeps the frames coming.
    button->MouseEntered();
    ASSERT_TRUE(WaitFrames(45));
    EXPECT_TRUE(cornerIs(hover));
    button->MouseExited();
    ASSERT_TRUE(WaitFrames(45));
    EXPECT_TRUE(cornerIs(rest));
}

TEST_F(EditorFrames, WaveformBandStandsWhereTheOverviewSays)
{
    TW::Manager& m = MakeManager();
    auto* wave = new TW::WaveformDisplay(&m, 20, 170, 730, 100, &m.dataToGui);
    m.root->AddChild(wave);
    // Entries 0..127 span -0.5..0.5, entries 128..255 span 0..0.8.
    std::vector<float> overview(kSampleOverviewFloats);
    for (int k = 0; k < kSampleOverviewEntries; ++k) {
        const bool first = k < 128;
        overview[4 * k] = overview[4 * k + 2] = float(k);
        overview[4 * k + 1] = first ? -0.5f : 0.0f;
        overview[4 * k + 3] = first ? 0.5f : 0.8f;
    }
    wave->Set(overview.data());
    MovePointer(5, 5);
    Start();
    auto shot = DrawnShot();
    const RGB band = Over(0.8f, 0.8f, 1.0f, 0.25f);
    auto isBand = [&](const RGB& p) { return p.Near(band.r, band.g, band.b, 3); };
    auto isOutline = [](const RGB& p) { return p.b > 95; };  // smoothed lines may straddle two rows
    // Entry 64 at x 202.5: the band from y 195 to 245. Entry 192 at x 567.5: from 220 to 260.
    struct Case {
        double x, lo, hi;
    } const cases[] = {{202.5, 195, 245}, {567.5, 220, 260}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        for (double y = c.lo + 4; y <= c.hi - 4; y += 8) EXPECT_TRUE(AllNear(*shot, c.x, y, isBand)) << y;
        EXPECT_TRUE(AllNear(*shot, c.x, c.lo - 6, IsBackground));
        EXPECT_TRUE(AllNear(*shot, c.x, c.hi + 6, IsBackground));
        EXPECT_TRUE(Near(*shot, c.x, c.lo, isOutline));
        EXPECT_TRUE(Near(*shot, c.x, c.hi, isOutline));
    }
}

TEST_F(EditorFrames, PhaseDiscAndScannerFollowTheLoopHead)
{
    TW::Manager::ms_enableConstantRedraw = false;  // one frame for each block of audio
    TW::Manager& m = MakeManager();
    m.root->AddChild(new TW::PhaseDisc(&m, 400, 60, 60, 60, &m.dataToGui.delayPhase));  // centre (430, 90)
    m.root->AddChild(new TW::Kitt(&m, 20, 170, 730, 100, &m.dataToGui));
    MovePointer(5, 5);
    Start();

    auto wedgeAt = [](double phase, double radius) {
        return std::pair{430 + radius * std::sin(2 * kPi * phase), 90 + radius * std::cos(2 * kPi * phase)};
    };
    auto lit = [](const RGB& p) { return p.r > kBackground.r + 60; };
    double previous = -1;
    // 0.3 of the loop, then 0.5 more: further than the scanner's twenty frames reach back.
    for (int blocks : {15, 25}) {
        SCOPED_TRACE(blocks);
        Play(blocks);
        const DataToGui d = EngineData();
        ASSERT_TRUE(d.headForward && d.delayPhase > previous + 0.2) << d.delayPhase;
        auto shot = DrawnShot();
        // The wedge spans the last ten frames' phases behind the hand; nothing ahead of it.
        const double p = d.delayPhase;
        auto [bx, by] = wedgeAt(p - 0.04, 18);
        EXPECT_TRUE(Near(*shot, bx, by, lit)) << p;
        auto [ax, ay] = wedgeAt(p + 0.25, 18);
        EXPECT_TRUE(AllNear(*shot, ax, ay, IsBackground));
        if (previous >= 0) {
            auto [ox, oy] = wedgeAt(previous - 0.04, 18);
            EXPECT_TRUE(AllNear(*shot, ox, oy, IsBackground)) << "the wedge has moved on";
        }
        // The scanner glows at the head, trails behind it (forward: to the left) and not ahead.
        const double x = 20 + 730 * d.headPosition;
        EXPECT_TRUE(lit(At(*shot, x, 220)));
        EXPECT_TRUE(lit(At(*shot, x - 20, 220)));
        EXPECT_TRUE(AllNear(*shot, x + 30, 220, IsBackground));
        if (previous >= 0) {
            EXPECT_TRUE(AllNear(*shot, 20 + 730 * previous - 40, 220, IsBackground));
        }
        previous = p;
    }
}
