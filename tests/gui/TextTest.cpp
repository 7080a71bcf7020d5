// Text and images: glyph layout at half the raster size, pen flooring, skipped characters, the
// static-text batch and its colour pointers, bundle textures and resource files.
#include <png.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gui/FileLoader.h"
#include "gui/StaticText.h"
#include "gui/Texture.h"
#include "tests/desktop/ScopedEnvironment.h"
#include "tests/desktop/TempDirectory.h"
#include "tests/gui/ManagerFixture.h"
#include "tests/gui/OffscreenGL.h"

namespace {

std::vector<TW::FontVertex> Quads(const TW::Font& font, const char* s, float x, float y)
{
    std::vector<TW::FontVertex> v(4 * std::strlen(s) + 4);
    v.resize(size_t(font.DrawIntoBuffer(v.data(), s, x, y)));
    return v;
}

void ExpectSameQuads(const std::vector<TW::FontVertex>& a, const std::vector<TW::FontVertex>& b, float dx = 0,
                     float dy = 0)
{
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].s, b[i].s) << i;
        EXPECT_EQ(a[i].t, b[i].t) << i;
        EXPECT_FLOAT_EQ(a[i].x + dx, b[i].x) << i;
        EXPECT_FLOAT_EQ(a[i].y + dy, b[i].y) << i;
        EXPECT_EQ(b[i].z, 0) << i;
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
    // Pixels that are mostly red, and mostly green.
    std::pair<int, int> RedAndGreen()
    {
        const std::vector<unsigned char>& px = gl->Read();
        int red = 0, green = 0;
        for (size_t i = 0; i < px.size(); i += 4) {
            red += px[i] > 100 && px[i + 1] < 50;
            green += px[i + 1] > 100 && px[i] < 50;
        }
        return {red, green};
    }

    std::unique_ptr<OffscreenGL> gl;
};

}  // namespace

TEST_F(TextTest, GlyphsAreLaidOutAtHalfTheirRasterSizeAndAdvanceAsTheFontMeasures)
{
    EXPECT_EQ(font->GetStringWidth(""), 0);
    const float m = font->GetStringWidth("M");
    EXPECT_GT(m, 6);
    EXPECT_LT(m, 16);  // a 14-unit face, not the 28-pixel raster
    EXPECT_FLOAT_EQ(font->GetStringWidth("MMM"), 3 * m);

    const std::vector<TW::FontVertex> q = Quads(*font, "MMM", 0, 0);
    ASSERT_EQ(q.size(), 12u);
    EXPECT_FLOAT_EQ(q[4].x - q[0].x, m);
    EXPECT_FLOAT_EQ(q[8].x - q[4].x, m);
    // Pairs advance as the font measures them, less the face's kerning: "MM" has none, the others
    // are pulled together (the measured width does not kern).
    struct Pair {
        const char* text;
        bool kerned;
    } pairs[] = {{"MM", false}, {"To", true}, {"AV", true}};
    for (const Pair& p : pairs) {
        const std::vector<TW::FontVertex> two = Quads(*font, p.text, 0, 0);
        ASSERT_EQ(two.size(), 8u);
        const float firstLeft = Quads(*font, std::string(1, p.text[0]).c_str(), 0, 0)[0].x;
        const float secondLeft = Quads(*font, p.text + 1, 0, 0)[0].x;
        const float measured = font->GetStringWidth(p.text) - font->GetStringWidth(p.text + 1);
        const float drawn = two[4].x - two[0].x - (secondLeft - firstLeft);
        if (p.kerned)
            EXPECT_LT(drawn, measured - 0.5f) << p.text;
        else
            EXPECT_NEAR(drawn, measured, 1e-4) << p.text;
    }
    // Corners in order: top-left, bottom-left, bottom-right, top-right.
    const float height = q[0].y - q[1].y;
    EXPECT_GT(height, 6);
    EXPECT_LT(height, 14);
    EXPECT_FLOAT_EQ(q[1].x, q[0].x);
    EXPECT_FLOAT_EQ(q[2].y, q[1].y);
    EXPECT_FLOAT_EQ(q[3].x, q[2].x);
    EXPECT_LT(q[0].s, q[2].s);
    EXPECT_LT(q[0].t, q[2].t);
    EXPECT_EQ(q[1].s, q[0].s);
    EXPECT_EQ(q[1].t, q[2].t);
    // The baseline sits on y: a capital's bottom is on it, within a raster pixel.
    EXPECT_NEAR(q[1].y, 0, 0.5f);
}

TEST_F(TextTest, ThePenStartsOnTheWholeUnitBelowAndLeftOfThePoint)
{
    const std::vector<TW::FontVertex> base = Quads(*font, "Aq", 10, 20);
    struct Case {
        float x, y, dx, dy;
    } cases[] = {{10.7f, 20.2f, 0, 0}, {10.999f, 20.0f, 0, 0}, {11, 21, 1, 1}, {-0.5f, 4.5f, -11, -16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        ExpectSameQuads(base, Quads(*font, "Aq", c.x, c.y), c.dx, c.dy);
    }
}

TEST_F(TextTest, CharactersWithoutAGlyphAreSkipped)
{
    ExpectSameQuads(Quads(*font, "AB", 3, 4), Quads(*font, "\x01" "A\x7f\xe9" "B\x1f", 3, 4));
    EXPECT_TRUE(Quads(*font, "\t\n\x80", 0, 0).empty());
}

TEST_F(TextTest, StaticTextReservesFourVerticesAByteAndRebuildsAfterEveryAdd)
{
    TW::StaticText batch(manager.get());
    const TW::Vec4 grey{0.5f, 0.5f, 0.5f, 1};
    EXPECT_TRUE(batch.dirty);
    EXPECT_EQ(batch.Add("Feedback", 1.5f, 2, &grey), 0);
    EXPECT_EQ(batch.Add("A\x01Z", 3, 4, &grey), 1);
    EXPECT_EQ(batch.Add("", 0, 0, &grey), 2);
    batch.InitialiseRendering();
    EXPECT_FALSE(batch.dirty);
    ASSERT_EQ(batch.entries.size(), 3u);
    EXPECT_EQ(batch.entries[1].firstVertex, 32);
    EXPECT_EQ(batch.entries[1].vertexCount, 12);
    EXPECT_EQ(batch.entries[2].firstVertex, 44);
    ASSERT_EQ(batch.vertices.size(), 44u);
    ExpectSameQuads(Quads(*font, "Feedback", 1.5f, 2), {batch.vertices.begin(), batch.vertices.begin() + 32});
    ExpectSameQuads(Quads(*font, "AZ", 3, 4), {batch.vertices.begin() + 32, batch.vertices.begin() + 40});
    // The glyphless character's corners stay empty.
    for (size_t i = 40; i < 44; ++i) EXPECT_EQ(batch.vertices[i].x, 0);
    batch.Add("x", 0, 0, &grey);
    EXPECT_TRUE(batch.dirty);
}

TEST_F(TextTest, AStaticTextEntryTakesItsColourFromThePointerEveryFrame)
{
    TW::StaticText batch(manager.get());
    TW::Vec4 colour{1, 0, 0, 1};
    batch.Add("MWMW", 4, 8, &colour);
    gl->Clear();
    batch.Render2d();
    auto [red, green] = RedAndGreen();
    EXPECT_GT(red, 50);
    EXPECT_EQ(green, 0);
    colour = {0, 1, 0, 1};
    gl->Clear();
    batch.Render2d();
    std::tie(red, green) = RedAndGreen();
    EXPECT_EQ(red, 0);
    EXPECT_GT(green, 50);
    EXPECT_FALSE(batch.dirty);
}

TEST_F(TextTest, TexturesLoadOnlyPowerOfTwoImagesAndSayWhyOthersAreRefused)
{
    TempDirectory dir;
    ScopedEnvironment resources("FLUMMEL_RESOURCES", dir.Path().c_str());
    auto writePng = [&](const char* name, int w, int h) {
        std::vector<UInt8> rgba(size_t(w) * h * 4);
        for (size_t i = 0; i < rgba.size(); i += 4) rgba[i] = 200, rgba[i + 1] = 10, rgba[i + 2] = 60, rgba[i + 3] = 255;
        rgba[0] = 1, rgba[1] = 2, rgba[2] = 3, rgba[3] = 128;  // top-left texel
        png_image img{};
        img.version = PNG_IMAGE_VERSION;
        img.width = png_uint_32(w);
        img.height = png_uint_32(h);
        img.format = PNG_FORMAT_RGBA;
        ASSERT_TRUE(png_image_write_to_file(&img, (dir / name).c_str(), 0, rgba.data(), 0, nullptr));
    };
    writePng("ring.png", 256, 128);
    writePng("odd.png", 100, 100);
    writePng("wide.png", 256, 100);

    struct Case {
        const char* name;
        bool loads;
        const char* message;
    } cases[] = {{"ring.png", true, ""},
                 {"odd.png", false, "ERROR: texture not power of 2 sized\n"},
                 {"wide.png", false, "ERROR: texture not power of 2 sized\n"},
                 {"absent.png", false, "ERROR: can't find URL!\n"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* texture = new TW::Texture(manager.get(), c.name);
        EXPECT_EQ(manager->textures.back(), texture);
        testing::internal::CaptureStdout();
        texture->Load();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message);
        EXPECT_TRUE(texture->loaded);
        EXPECT_EQ(texture->id != 0, c.loads);
        if (!c.loads) continue;
        // The texels arrive in the image's colours, its first row at t = 0.
        std::vector<UInt8> texels(256 * 128 * 4);
        texture->Bind();
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        EXPECT_EQ(std::vector<UInt8>(texels.begin(), texels.begin() + 8), (std::vector<UInt8>{1, 2, 3, 128, 200, 10, 60, 255}));
        const GLuint id = texture->id;
        texture->Unload();
        EXPECT_EQ(texture->id, 0u);
        EXPECT_FALSE(glIsTexture(id));
    }
}

TEST_F(TextTest, AResourceFileIsReadWholeOrNotAtAll)
{
    TempDirectory dir;
    ScopedEnvironment resources("FLUMMEL_RESOURCES", dir.Path().c_str());
    const std::string program = std::string("!!ARBvp1.0\nMOV result.position, vertex.position;\nEND\n") + '\0' + "tail";
    ASSERT_TRUE(dir.Write("knobshader.txt", program));
    ASSERT_TRUE(dir.Write("empty.txt", ""));

    struct Case {
        const char* name;
        bool found;
        std::string contents;
    } cases[] = {{"knobshader.txt", true, program}, {"empty.txt", true, ""}, {"missing.txt", false, ""},
                 {"../knobshader.txt", false, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TW::FileLoader file(c.name);
        EXPECT_EQ(file.size, c.contents.size());
        if (!c.found || c.contents.empty()) continue;
        ASSERT_NE(file.data, nullptr);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data), size_t(file.size)), c.contents);
    }
    EXPECT_EQ(TW::FileLoader("missing.txt").data, nullptr);
}
