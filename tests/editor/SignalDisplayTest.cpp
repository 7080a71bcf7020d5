// The signal displays drawn into an offscreen picture: the phase disc's sector, the scanner's
// whiteness, and the waveform before and with an overview.
#include <GL/gl.h>

#include <memory>
#include <vector>

#include "editor/Kitt.h"
#include "editor/PhaseDisc.h"
#include "editor/WaveformDisplay.h"
#include "tests/gui/ManagerFixture.h"
#include "tests/gui/OffscreenGL.h"

namespace {

constexpr int kSize = 64;

// Lit pixels of an offscreen picture (rows from the top) in rows [top, bottom) of GUI y.
struct Picture {
    const std::vector<unsigned char>& px;
    bool Lit(int x, int guiY) const
    {
        const size_t i = (size_t(kSize - 1 - guiY) * kSize + size_t(x)) * 4;
        return px[i] + px[i + 1] + px[i + 2] > 0;
    }
    int LitIn(int x0, int y0, int x1, int y1) const
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += Lit(x, y);
        return n;
    }
};

}  // namespace

class SignalDisplays : public ManagerTest {
protected:
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
    // One frame of `e` alone.
    Picture Draw(const TW::UIElement& e)
    {
        gl->Clear();
        e.Render();
        return Picture{gl->Read()};
    }
    std::unique_ptr<OffscreenGL> gl;
};

TEST_F(SignalDisplays, PhaseDiscShowsTheSectorItsRecentFramesCover)
{
    float phase = 0.25f;
    auto* disc = new TW::PhaseDisc(manager.get(), 0, 0, kSize, kSize, &phase);  // centre (32, 32)
    // First frame: the older entries still point nowhere, so the fan has no area.
    EXPECT_EQ(Draw(*disc).LitIn(0, 0, kSize, kSize), 0);

    // From 0.25 (right) to 0.5 (down): the lower-right quarter lights, the left half stays dark.
    phase = 0.5f;
    Picture p = Draw(*disc);
    EXPECT_TRUE(p.Lit(45, 20) && p.Lit(36, 10) && p.Lit(50, 28));
    EXPECT_EQ(p.LitIn(0, 0, 30, kSize), 0);
    EXPECT_EQ(p.LitIn(34, 34, kSize, kSize), 0);
}

TEST_F(SignalDisplays, ScannerGlowsWhitenNearTheEnds)
{
    struct Case {
        float position, right, g;
    } const cases[] = {{0.5f, 10, 0.2f}, {0.5f, 20, 0.2f}, {0.0f, 10, 1.0f}, {1.0f, 20, 1.0f},
                       {0.05f, 10, 0.6f}, {0.98f, 20, 0.68f}, {0.95f, 10, 0.6f}, {0.3f, 20, 0.2f}};
    for (const Case& c : cases)
        EXPECT_NEAR(TW::Kitt::Whiteness(c.position, c.right), c.g, 1e-5f) << c.position << " " << c.right;
}

TEST_F(SignalDisplays, WaveformDrawsNothingWithoutAnOverviewAndAFlatLineForSilence)
{
    DataToGui data{};
    auto* wave = new TW::WaveformDisplay(manager.get(), 0, 16, kSize, 32, &data);  // middle y = 32
    EXPECT_EQ(Draw(*wave).LitIn(0, 0, kSize, kSize), 0);

    std::vector<float> overview(kSampleOverviewFloats, 0.0f);
    for (int k = 0; k < kSampleOverviewEntries; ++k) overview[4 * k] = overview[4 * k + 2] = float(k);
    wave->Set(overview.data());
    Picture p = Draw(*wave);
    EXPECT_GE(p.LitIn(2, 31, kSize - 2, 33), kSize - 4);  // along the whole width
    EXPECT_EQ(p.LitIn(0, 0, kSize, 30) + p.LitIn(0, 34, kSize, kSize), 0);

    wave->Set(nullptr);
    EXPECT_EQ(Draw(*wave).LitIn(0, 0, kSize, kSize), 0);
}
