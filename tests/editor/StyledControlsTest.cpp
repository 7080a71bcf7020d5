// The styled knob and button away from the render thread: the knob renderer's array as the knobs
// place and turn it, the vertex program, the button's glide and label.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <numbers>

#include "editor/VrelButton.h"
#include "editor/VrelKnob.h"
#include "editor/VrelKnobRenderer.h"
#include "gui/StaticText.h"
#include "tests/desktop/ScopedEnvironment.h"
#include "tests/desktop/TempDirectory.h"
#include "tests/gui/ManagerFixture.h"
#include "tests/gui/OffscreenGL.h"

namespace {

using Renderer = TW::VrelKnobRenderer;
constexpr double kPi = std::numbers::pi;

// Vertex `v` of knob `knob` in the renderer's array.
struct Vertex {
    float r, g, b, a, nx, ny, nz, x, y, z;
};
Vertex At(const Renderer& k, int knob, int v)
{
    const float* p = k.Vertices() + knob * Renderer::kFloatsPerKnob + v * Renderer::kFloatsPerVertex;
    return {p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9]};
}

}  // namespace

class StyledControls : public ManagerTest {
protected:
    void SetUp() override
    {
        ManagerTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        MakeManager();
        group = new TW::Group(manager.get());
        group->offset = {100, 50, 0};
        manager->root->AddChild(group);
        renderer = new Renderer(manager.get());
        manager->effects.push_back(renderer);
        gl = std::make_unique<OffscreenGL>(64, 64);
        ASSERT_TRUE(gl->Ready());
    }
    void TearDown() override
    {
        if (renderer) renderer->ShutdownRendering();
        gl.reset();
        ManagerTest::TearDown();
    }
    TW::VrelKnob* Knob(int param, float x, float y, float size = 30)
    {
        auto* k = new TW::VrelKnob(manager.get(), renderer, param, "Label", x, y, size);
        group->AddChild(k);
        return k;
    }
    // The knob's tip (rim point 0) and closing point (10) as the array has them.
    void ExpectTipAt(int knob, float x, float y)
    {
        for (int v : {1, 11})
            EXPECT_TRUE(std::abs(At(*renderer, knob, v).x - x) < 1e-3f && std::abs(At(*renderer, knob, v).y - y) < 1e-3f)
                << "vertex " << v << " at " << At(*renderer, knob, v).x << ", " << At(*renderer, knob, v).y;
    }

    TW::Group* group = nullptr;
    Renderer* renderer = nullptr;
    std::unique_ptr<OffscreenGL> gl;
};

TEST_F(StyledControls, KnobsTakeSlotsInOrderAndTheArrayIsAGlowWithAnOpaqueTipTurnedByTheParameter)
{
    TW::VrelKnob* k = Knob(kParam_Feedback, 0, 0);   // percent: orange, centre (115, 70), radius 15
    TW::VrelKnob* second = Knob(kParam_HostTempo, 44, 10, 40);  // the next slot: centre (164, 85), radius 20
    EXPECT_TRUE(k->slot == 0 && second->slot == 1);
    TW::Bounds w;
    k->GetWorldBounds(w);
    EXPECT_TRUE(w.min.x == 100 && w.min.y == 50 && w.max.x == 130 && w.max.y == 90);  // 10 above the square
    EXPECT_EQ(k->HitTest({15, 35}), nullptr);  // the label's room is no part of the control
    SetParam(kParam_Feedback, 100);  // before the array exists: applied when it is built
    ASSERT_TRUE(PumpUntil([&] { return k->normalised.load() == 1.0f; }));
    EXPECT_EQ(renderer->Vertices(), nullptr);
    manager->FinalPositions();
    renderer->InitialiseRendering();
    ASSERT_NE(renderer->Vertices(), nullptr);

    const Vertex centre = At(*renderer, 0, 0);  // the unit's colour, facing the viewer
    EXPECT_TRUE(centre.r == 1 && centre.g == 0.6f && centre.b == 0 && centre.a == 1);
    EXPECT_TRUE(centre.nz == 1 && centre.x == 115 && centre.y == 70);
    for (int v = 1; v <= 11; ++v) {  // an opaque tip at the radius, a transparent glow inside it
        const Vertex p = At(*renderer, 0, v);
        const bool tip = v == 1 || v == 11;
        EXPECT_EQ(p.a, tip ? 0.75f : 0.0f) << v;
        EXPECT_EQ(std::hypot(p.x - 115, p.y - 70) >= 14.99f, tip) << v;
    }
    EXPECT_TRUE(At(*renderer, 1, 0).x == 164 && At(*renderer, 1, 0).y == 85);
    EXPECT_EQ(renderer->Info(1).radius, 20);

    // Minimum, middle, maximum: 135 degrees left of straight up, straight up, 135 to the right.
    struct Case {
        float value;
        double degrees;
    } const cases[] = {{100, 135}, {0, -135}, {50, 0}, {25, -67.5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        if (c.value != 100) {
            SetParam(kParam_Feedback, c.value);
            ASSERT_TRUE(PumpUntil([&] { return k->normalised.load() == c.value / 100; }));
        }
        const double a = c.degrees * kPi / 180;
        EXPECT_NEAR(renderer->Info(0).angle.load(), a, 1e-5);
        ExpectTipAt(0, float(115 + 15 * std::sin(a)), float(70 + 15 * std::cos(a)));
        // The normals turn with the rim: the tip's points along the pointer.
        EXPECT_NEAR(At(*renderer, 0, 1).nx, 0.7 * std::sin(a), 1e-5);
        EXPECT_NEAR(At(*renderer, 0, 1).ny, 0.7 * std::cos(a), 1e-5);
        EXPECT_EQ(At(*renderer, 0, 1).a, 0.75f);  // turning leaves the colours alone
    }
    renderer->SetAngle(1, float(kPi / 2));  // a quarter turn clockwise points right
    ExpectTipAt(1, 184, 85);
}

TEST_F(StyledControls, TheVertexProgramCompilesAndABrokenOneIsReportedOnce)
{
    Knob(kParam_Feedback, 0, 0);
    manager->FinalPositions();
    testing::internal::CaptureStderr();
    renderer->InitialiseRendering();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    GLint errorAt = 0;
    glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorAt);
    EXPECT_EQ(errorAt, -1);
    EXPECT_TRUE(renderer->program != 0 && renderer->programCompiled);
    renderer->ShutdownRendering();
    EXPECT_EQ(renderer->program, 0u);

    // The text is read once, by the renderer's first start: a second renderer reads this one.
    TempDirectory dir;
    ScopedEnvironment resources("FLUMMEL_RESOURCES", dir.Path().c_str());
    std::ofstream(dir / "knobshader.txt") << "!!ARBvp1.0\nMOV result.position, nowhere;\nEND\n";
    auto* broken = new Renderer(manager.get());
    manager->effects.push_back(broken);
    testing::internal::CaptureStderr();
    broken->InitialiseRendering();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("error at position: ", 0), 0u) << said;
    EXPECT_GT(said.size(), std::string("error at position: 0\n\n").size()) << "with the reason";
    EXPECT_FALSE(broken->programCompiled);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));  // nothing left for the next frame to report
    broken->ShutdownRendering();
}

TEST_F(StyledControls, ButtonsGlideTowardTheHoverColourAndBackAndCentreTheirLabels)
{
    auto* button = new TW::VrelButton(manager.get(), "Zero", nullptr, nullptr, 0, 0, 50, 30, -3);
    group->AddChild(button);
    const TW::Vec4 rest = TW::VrelButton::kRestColour, hover = TW::VrelButton::kHoverColour;
    // Each frame moves 15 % of the remaining way: after n frames (1 - 0.85^n) of it.
    auto expectAfter = [&](const TW::Vec4& from, const TW::Vec4& to, int n) {
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(button->currentColour[i], to[i] + (from[i] - to[i]) * std::pow(0.85, n), 1e-5) << n << ":" << i;
    };
    button->MouseEntered();
    EXPECT_EQ(manager->mouseOverParam.load(), -3);  // the button's own entry still shows its help
    for (int n = 1; n <= 20; ++n) {
        button->Render();
        if (n == 1 || n == 20) expectAfter(rest, hover, n);
    }
    const TW::Vec4 reached = button->currentColour;
    button->MouseExited();
    EXPECT_EQ(manager->mouseOverParam.load(), -1);
    for (int n = 1; n <= 5; ++n) button->Render();
    expectAfter(reached, rest, 5);

    // The label joins the static text, centred on the rectangle (world (100, 50)-(150, 80)).
    const size_t before = manager->staticText->entries.size();
    button->FinalPosition();
    ASSERT_EQ(manager->staticText->entries.size(), before + 1);
    const TW::StaticText::Entry& e = manager->staticText->entries.back();
    EXPECT_EQ(e.text, "Zero");
    EXPECT_NEAR(e.x + 0.5f * font->GetStringWidth("Zero"), 125, 1e-4f);
    EXPECT_TRUE(e.y > 50 && e.y < 65) << e.y;  // the baseline below the middle
    EXPECT_EQ(e.colour, &TW::VrelButton::LabelColour());
}
