// Away from the render thread, in an offscreen picture: the knobs' vertex program and its error
// report, the waveform with and without an overview, and the scanner's whiteness.
#include <GL/gl.h>

#include <fstream>
#include <memory>
#include <vector>

#include "editor/Kitt.h"
#include "editor/VrelKnob.h"
#include "editor/VrelKnobRenderer.h"
#include "editor/WaveformDisplay.h"
#include "tests/desktop/ScopedEnvironment.h"
#include "tests/desktop/TempDirectory.h"
#include "tests/gui/ManagerFixture.h"
#include "tests/gui/OffscreenGL.h"

class StyledControls : public ManagerTest {
protected:
    static constexpr int kSize = 64;
    void SetUp() override
    {
        ManagerTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        MakeManager();
        gl = std::make_unique<OffscreenGL>(kSize, kSize);
        ASSERT_TRUE(gl->Ready());
    }
    void TearDown() override
    {
        gl.reset();
        ManagerTest::TearDown();
    }
    // Lit pixels of one frame of `e` alone in rows [y0, y1) of GUI y, columns [x0, x1).
    int LitIn(const TW::UIElement& e, int x0, int y0, int x1, int y1)
    {
        gl->Clear();
        e.Render();
        const std::vector<unsigned char>& px = gl->Read();
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const size_t i = (size_t(kSize - 1 - y) * kSize + size_t(x)) * 4;
                n += px[i] + px[i + 1] + px[i + 2] > 0;
            }
        return n;
    }
    std::unique_ptr<OffscreenGL> gl;
};

TEST_F(StyledControls, TheVertexProgramCompilesAndABrokenOneIsReportedOnce)
{
    auto* renderer = new TW::VrelKnobRenderer(manager.get());
    manager->effects.push_back(renderer);
    manager->root->AddChild(new TW::VrelKnob(manager.get(), renderer, kParam_Feedback, "Label", 0, 0, 30));
    manager->FinalPositions();
    testing::internal::CaptureStderr();
    renderer->InitialiseRendering();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(renderer->program != 0 && renderer->programCompiled);
    renderer->ShutdownRendering();
    EXPECT_EQ(renderer->program, 0u);

    // The text is read once, by the renderer's first start: a second renderer reads this one.
    TempDirectory dir;
    ScopedEnvironment resources("FLUMMEL_RESOURCES", dir.Path().c_str());
    std::ofstream(dir / "knobshader.txt") << "!!ARBvp1.0\nMOV result.position, nowhere;\nEND\n";
    auto* broken = new TW::VrelKnobRenderer(manager.get());
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

TEST_F(StyledControls, WaveformDrawsTheOverviewsBandAndNothingWithoutOne)
{
    DataToGui data{};
    auto* wave = new TW::WaveformDisplay(manager.get(), 0, 0, kSize, kSize, &data);  // middle y 32
    EXPECT_EQ(LitIn(*wave, 0, 0, kSize, kSize), 0);
    std::vector<float> overview(kSampleOverviewFloats);
    auto set = [&](float lo0, float hi0, float lo1, float hi1) {  // the left half's range, the right half's
        for (int k = 0; k < kSampleOverviewEntries; ++k) {
            const bool left = k < kSampleOverviewEntries / 2;
            overview[4 * k] = overview[4 * k + 2] = float(k);
            overview[4 * k + 1] = left ? lo0 : lo1;
            overview[4 * k + 3] = left ? hi0 : hi1;
        }
        wave->Set(overview.data());
    };
    set(0, 0, 0, 0);  // silence: a flat line along the whole width
    EXPECT_GE(LitIn(*wave, 2, 31, kSize - 2, 33), kSize - 4);
    EXPECT_EQ(LitIn(*wave, 0, 0, kSize, 30) + LitIn(*wave, 0, 34, kSize, kSize), 0);
    set(-0.5f, 0.5f, 0, 0.75f);  // bands from y 16 to 48 on the left, 32 to 56 on the right
    for (auto [x0, lo, hi] : {std::tuple{2, 16, 48}, {34, 32, 56}}) {
        SCOPED_TRACE(x0);
        EXPECT_EQ(LitIn(*wave, x0, lo + 1, x0 + 28, hi - 1), 28 * (hi - lo - 2));
        EXPECT_EQ(LitIn(*wave, x0, 0, x0 + 28, lo - 1) + LitIn(*wave, x0, hi + 2, x0 + 28, kSize), 0);
    }
    wave->Set(nullptr);
    EXPECT_EQ(LitIn(*wave, 0, 0, kSize, kSize), 0);
}

TEST(Kitt, ScannerGlowsWhitenNearTheEnds)
{
    struct Case {
        float position, right, g;
    } const cases[] = {{0.5f, 10, 0.2f}, {0.5f, 20, 0.2f}, {0.0f, 10, 1.0f}, {1.0f, 20, 1.0f},
                       {0.05f, 10, 0.6f}, {0.98f, 20, 0.68f}, {0.95f, 10, 0.6f}, {0.3f, 20, 0.2f}};
    for (const Case& c : cases)
        EXPECT_NEAR(TW::Kitt::Whiteness(c.position, c.right), c.g, 1e-5f) << c.position << " " << c.right;
}
