// The styled widgets and displays drawn by the real render thread into a real window, read back
// from the X server and checked against the colours and places they are drawn with.
#include <cmath>
#include <numbers>
#include <tuple>
#include <vector>

#include "editor/Kitt.h"
#include "editor/PhaseDisc.h"
#include "editor/VrelKnob.h"
#include "editor/VrelKnobRenderer.h"
#include "editor/WaveformDisplay.h"
#include "tests/gui/ManagerFixture.h"

namespace {

using RGB = Screenshot::RGB;
constexpr double kPi = std::numbers::pi;
const RGB kBackground{51, 51, 0};

bool IsBackground(const RGB& p) { return p.Near(kBackground.r, kBackground.g, kBackground.b, 3); }
// The pixel that holds GUI (x, y), and how many of the 3 x 3 around it satisfy `pred`.
RGB At(const Screenshot& s, double x, double y) { return s.At(int(x), guitest::kHeight - 1 - int(y)); }
template <class Pred>
int Around(const Screenshot& s, double x, double y, Pred pred)
{
    const int row = guitest::kHeight - int(y);
    return s.Count(int(x) - 1, row - 1, int(x) + 2, row + 2, pred);
}

}  // namespace

class EditorFrames : public ManagerTest {
protected:
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
};

TEST_F(EditorFrames, KnobsShowTheirColourAtTheCentreAndPointWhereTheirValueSays)
{
    TW::Manager& m = MakeManager();
    auto* renderer = new TW::VrelKnobRenderer(&m);
    m.effects.push_back(renderer);
    auto* g = new TW::Group(&m);
    g->offset = {100.5f, 40.5f, 0};
    m.root->AddChild(g);
    // Size 40 at (60 i, 0) in the group: centres (120.5 + 60 i, 65.5), on pixel centres; radius 20.
    // Minimum, middle, maximum: 135 degrees left of straight up, straight up, 135 to the right.
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
        SetParam(c.param, c.value);  // before the renderer's array exists: applied when it is built
    }
    EXPECT_EQ(knobs[0]->HitTest({20, 45}), nullptr);  // the label's room is no part of the control
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
        auto level = [](float v) { return int(std::lround(255 * v)); };
        const RGB got = At(*shot, cx, cy);
        EXPECT_TRUE(got.Near(level(c.colour.x), level(c.colour.y), level(c.colour.z), 4))
            << got.r << " " << got.g << " " << got.b;
        // Beyond the disc (0.75 of the radius) only the pointer reaches out.
        const double a = c.degrees * kPi / 180;
        EXPECT_GT(Around(*shot, cx + 16 * std::sin(a), cy + 16 * std::cos(a),
                         [](const RGB& p) { return p.r + p.g + p.b > 250; }), 0);
        for (double dark : c.darkDegrees) {
            const double d = dark * kPi / 180;
            EXPECT_EQ(Around(*shot, cx + 18 * std::sin(d), cy + 18 * std::cos(d), IsBackground), 9) << dark;
        }
        // The label, centred under the knob, its baseline half a line below the knob's middle.
        auto label = [](const RGB& p) { return p.b > 90; };
        EXPECT_GT(shot->Count(int(cx) - 4, Row(49), int(cx) + 5, Row(38), label), 5);
        EXPECT_EQ(shot->Count(int(cx) - 12, Row(49), int(cx) - 5, Row(38), label), 0);
    }
}

TEST_F(EditorFrames, WaveformDrawsTheOverviewsBandAndNothingWithoutOne)
{
    TW::Manager& m = MakeManager();
    // Side by side, 64 units square: no overview, silence, and a band from y 16 to 48 on the left
    // half and from 32 to 56 on the right (the middle is y 32).
    std::vector<float> silence(kSampleOverviewFloats), bands(kSampleOverviewFloats);
    for (int k = 0; k < kSampleOverviewEntries; ++k) {
        const bool left = k < kSampleOverviewEntries / 2;
        silence[4 * k] = silence[4 * k + 2] = bands[4 * k] = bands[4 * k + 2] = float(k);
        bands[4 * k + 1] = left ? -0.5f : 0.f;
        bands[4 * k + 3] = left ? 0.5f : 0.75f;
    }
    const float* overviews[] = {nullptr, silence.data(), bands.data()};
    for (int i = 0; i < 3; ++i) {
        auto* wave = new TW::WaveformDisplay(&m, 100.0f + 100.0f * float(i), 100, 64, 64, &m.dataToGui);
        wave->Set(overviews[i]);
        m.root->AddChild(wave);
    }
    MovePointer(5, 5);
    Start();
    auto shot = DrawnShot();
    // Drawn pixels of display i in its columns [x0, x1) and rows [y0, y1).
    auto drawn = [&](int i, int x0, int y0, int x1, int y1) {
        return shot->Count(100 + 100 * i + x0, Row(float(100 + y1)), 100 + 100 * i + x1, Row(float(100 + y0)),
                           [](const RGB& p) { return !IsBackground(p); });
    };
    EXPECT_EQ(drawn(0, 0, 0, 64, 64), 0);
    EXPECT_GE(drawn(1, 2, 31, 62, 33), 60);  // silence: a flat line along the whole width
    EXPECT_EQ(drawn(1, 0, 0, 64, 30) + drawn(1, 0, 34, 64, 64), 0);
    for (auto [x0, lo, hi] : {std::tuple{2, 16, 48}, {34, 32, 56}}) {
        SCOPED_TRACE(x0);
        EXPECT_EQ(drawn(2, x0, lo + 1, x0 + 28, hi - 1), 28 * (hi - lo - 2));
        EXPECT_EQ(drawn(2, x0, 0, x0 + 28, lo - 1) + drawn(2, x0, hi + 2, x0 + 28, 64), 0);
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
    auto wedgeAt = [](double phase) {
        return std::pair{430 + 18 * std::sin(2 * kPi * phase), 90 + 18 * std::cos(2 * kPi * phase)};
    };
    auto lit = [](const RGB& p) { return p.r > kBackground.r + 60; };
    double previous = -1;
    // 0.3 of the loop, then 0.5 more: further than the scanner's twenty frames reach back.
    for (int blocks : {15, 25}) {
        SCOPED_TRACE(blocks);
        std::vector<std::vector<float>> in(2, std::vector<float>(882)), out;  // blocks of 20 ms, a frame after each
        for (int i = 0; i < blocks; ++i) {
            ASSERT_EQ(host->Process(in, out, 882), noErr);
            const int target = counter->frames.load() + 1;
            manager->NudgeGUI();
            ASSERT_TRUE(PumpUntil([&] { return counter->frames.load() >= target; }));
        }
        Pump(0.15);  // the last frame reaches the screen
        DataToGui d{};
        UInt32 size = sizeof d;
        ASSERT_EQ(AudioUnitGetProperty(host->Unit(), kDataToGuiProperty, kAudioUnitScope_Global, 0, &d, &size), noErr);
        ASSERT_TRUE(d.headForward && d.delayPhase > previous + 0.2) << d.delayPhase;
        auto shot = DrawnShot();
        // The wedge spans the last ten frames' phases behind the hand; nothing ahead of it.
        const double p = d.delayPhase;
        auto [bx, by] = wedgeAt(p - 0.04);
        EXPECT_GT(Around(*shot, bx, by, lit), 0) << p;
        auto [ax, ay] = wedgeAt(p + 0.25);
        EXPECT_EQ(Around(*shot, ax, ay, IsBackground), 9);
        // The scanner glows at the head, trails behind it (forward: to the left) and not ahead.
        const double x = 20 + 730 * d.headPosition;
        EXPECT_TRUE(lit(At(*shot, x, 220)) && lit(At(*shot, x - 20, 220)));
        EXPECT_EQ(Around(*shot, x + 30, 220, IsBackground), 9);
        if (previous >= 0) {  // both have moved on
            auto [ox, oy] = wedgeAt(previous - 0.04);
            EXPECT_EQ(Around(*shot, ox, oy, IsBackground), 9);
            EXPECT_EQ(Around(*shot, 20 + 730 * previous - 40, 220, IsBackground), 9);
        }
        previous = p;
    }
}
