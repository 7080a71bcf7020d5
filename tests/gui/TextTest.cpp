// Text and images: glyph layout at half the raster size, pen flooring, skipped characters, the
// static-text batch and its colour pointers, bundle textures.
#include <png.h>

#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "gui/StaticText.h"
#include "gui/Texture.h"
#include "tests/desktop/ScopedEnvironment.h"
#include "tests/desktop/TempDirectory.h"
#include "tests/gui/ManagerFixture.h"
#include "tests/gui/OffscreenGL.h"

namespace {

std::vector<TW::FontVertex> Quads(const TW::Font& font, const char* s, float x, float y)
{
    std::vector<TW::FontVertex> v(4 * std::strlen(s));
    v.resize(size_t(font.DrawIntoBuffer(v.data(), s, x, y)));
    return v;
}

// `b` is `a` moved by (dx, dy).
void ExpectShifted(const std::vector<TW::FontVertex>& a, const std::vector<TW::FontVertex>& b, float dx, float dy)
{
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_TRUE(a[i].s == b[i].s && a[i].t == b[i].t && b[i].z == 0) << i;
        EXPECT_FLOAT_EQ(a[i].x + dx, b[i].x) << i;
        EXPECT_FLOAT_EQ(a[i].y + dy, b[i].y) << i;
    }
}

class TextTest : public ManagerTest {
protected:
    void SetUp() override
    {
        ManagerTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        MakeManager();
        gl = std::make_unique<OffscreenGL>(128, 32);
        ASSERT_TRUE(gl->Ready());
        font->Preload();
    }
    void TearDown() override
    {
        gl.reset();
        ManagerTest::TearDown();
    }
    std::unique_ptr<OffscreenGL> gl;
};

}  // namespace

TEST_F(TextTest, GlyphsAreHalfTheirRasterSizeKernedAndPlacedFromAWholeUnitPen)
{
    EXPECT_EQ(font->GetStringWidth(""), 0);
    const float m = font->GetStringWidth("M");
    EXPECT_TRUE(m > 6 && m < 16) << m;  // a 14-unit face, not the 28-pixel raster
    const std::vector<TW::FontVertex> q = Quads(*font, "MM", 0, 0);
    ASSERT_EQ(q.size(), 8u);
    EXPECT_FLOAT_EQ(q[4].x - q[0].x, m);
    // Corners: top-left, bottom-left, bottom-right, top-right; the capital stands on the baseline.
    EXPECT_TRUE(q[1].x == q[0].x && q[2].y == q[1].y && q[3].x == q[2].x && q[3].y == q[0].y);
    EXPECT_TRUE(q[1].s == q[0].s && q[1].t == q[2].t && q[0].s < q[2].s && q[0].t < q[2].t);
    EXPECT_TRUE(q[0].y - q[1].y > 6 && q[0].y - q[1].y < 14);
    EXPECT_NEAR(q[1].y, 0, 0.5f);
    // "To" is kerned in the face: drawn closer than the measured advance.
    const std::vector<TW::FontVertex> to = Quads(*font, "To", 0, 0);
    ASSERT_EQ(to.size(), 8u);
    EXPECT_LT(to[4].x - Quads(*font, "o", 0, 0)[0].x, font->GetStringWidth("T") - 0.5f);
    // The pen starts on whole units; characters without a glyph are skipped.
    const std::vector<TW::FontVertex> base = Quads(*font, "Aq", 10, 20);
    struct Case {
        const char* text;
        float x, y, dx, dy;
    } cases[] = {{"Aq", 10.7f, 20.2f, 0, 0}, {"Aq", 11, 21, 1, 1}, {"Aq", -0.5f, 4.5f, -11, -16},
                 {"\x01" "A\x7f\xe9" "q\t", 10.2f, 20, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        ExpectShifted(base, Quads(*font, c.text, c.x, c.y), c.dx, c.dy);
    }
}

TEST_F(TextTest, StaticTextReservesFourVerticesAByteAndTakesItsColourFromThePointerEveryFrame)
{
    TW::StaticText batch(manager.get());
    TW::Vec4 colour{1, 0, 0, 1};
    EXPECT_EQ(batch.Add("A\x01Z", 3, 4, &colour), 0);
    EXPECT_EQ(batch.Add("MWMW", 4, 8.6f, &colour), 1);
    batch.InitialiseRendering();
    EXPECT_EQ(batch.entries[1].firstVertex, 12);
    ASSERT_EQ(batch.vertices.size(), 28u);
    ExpectShifted(Quads(*font, "AZ", 3, 4), {batch.vertices.begin(), batch.vertices.begin() + 8}, 0, 0);
    for (size_t i = 8; i < 12; ++i) EXPECT_EQ(batch.vertices[i].x, 0);  // the glyphless byte's quad stays empty
    ExpectShifted(Quads(*font, "MWMW", 4, 8), {batch.vertices.begin() + 12, batch.vertices.end()}, 0, 0);

    // Drawn twice with one Add: the second frame shows the colour as it is then.
    int counts[2][2] = {};
    for (int frame = 0; frame < 2; ++frame) {
        gl->Clear();
        batch.Render2d();
        const std::vector<unsigned char>& px = gl->Read();
        for (size_t i = 0; i < px.size(); i += 4) {
            counts[frame][0] += px[i] > 100 && px[i + 1] < 50;
            counts[frame][1] += px[i + 1] > 100 && px[i] < 50;
        }
        colour = {0, 1, 0, 1};
    }
    EXPECT_TRUE(counts[0][0] > 50 && counts[0][1] == 0 && counts[1][0] == 0 && counts[1][1] > 50)
        << counts[0][0] << " " << counts[0][1] << " " << counts[1][0] << " " << counts[1][1];
    EXPECT_FALSE(batch.dirty);
}

TEST_F(TextTest, TexturesLoadOnlyPowerOfTwoImagesThatAreThere)
{
    TempDirectory dir;
    ScopedEnvironment resources("FLUMMEL_RESOURCES", dir.Path().c_str());
    for (auto [name, w, h] : {std::tuple{"ring.png", 256, 128}, {"odd.png", 100, 100}, {"wide.png", 256, 100}}) {
        std::vector<UInt8> rgba(size_t(w) * h * 4, 200);
        rgba[0] = 1, rgba[1] = 2, rgba[2] = 3, rgba[3] = 128;  // the top-left texel
        png_image img{};
        img.version = PNG_IMAGE_VERSION;
        img.width = png_uint_32(w), img.height = png_uint_32(h), img.format = PNG_FORMAT_RGBA;
        ASSERT_TRUE(png_image_write_to_file(&img, (dir / name).c_str(), 0, rgba.data(), 0, nullptr));
    }
    for (auto [name, loads] : {std::pair{"ring.png", true}, {"odd.png", false}, {"wide.png", false}, {"absent.png", false}}) {
        auto* texture = new TW::Texture(manager.get(), name);
        EXPECT_EQ(manager->textures.back(), texture);
        texture->Load();
        EXPECT_TRUE(texture->loaded && (texture->id != 0) == loads) << name;
    }
    // The texels keep the image's colours, its first row at t = 0.
    TW::Texture* ring = manager->textures[manager->textures.size() - 4];
    std::vector<UInt8> texels(256 * 128 * 4);
    ring->Bind();
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ(std::vector<UInt8>(texels.begin(), texels.begin() + 8), (std::vector<UInt8>{1, 2, 3, 128, 200, 200, 200, 200}));
    const GLuint id = ring->id;
    ring->Unload();
    EXPECT_TRUE(ring->id == 0u && !glIsTexture(id));
}
