#include "gui/Font.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstddef>
#include <cstring>

namespace TW {

namespace {

constexpr int kGlyphCount = Font::kLastChar - Font::kFirstChar + 1;
constexpr int kPadding = 1;  // empty texels around each glyph so linear filtering never bleeds

int NextPowerOfTwo(int n)
{
    int p = 1;
    while (p < n) p <<= 1;
    return p;
}

}  // namespace

Font::Font(const char* path, int size) : ftFont(new FTGLTextureFont(path))
{
    const int pixelSize = 2 * size;
    if (ftFont->Error())
        std::printf("Font: can't open %s\n", path);
    else
        ftFont->FaceSize(pixelSize, 72);
    Rasterise(path, pixelSize);
}

Font::~Font()
{
    if (mTexture && mTextureContext == aglGetCurrentContext()) glDeleteTextures(1, &mTexture);
    if (mFace) FT_Done_Face(mFace);
    if (mLibrary) FT_Done_FreeType(mLibrary);
    delete ftFont;
}

// Renders every printable glyph as FreeType renders it for the texture font (unhinted outlines,
// 8-bit coverage), so advances agree with its measurements, and packs the bitmaps in rows into
// one alpha atlas.
void Font::Rasterise(const char* path, int pixelSize)
{
    if (FT_Init_FreeType(&mLibrary) || FT_New_Face(mLibrary, path, 0, &mFace)) {
        mFace = nullptr;
        return;
    }
    if (FT_Set_Char_Size(mFace, 0, pixelSize * 64, 72, 72)) return;

    std::vector<unsigned char> bitmaps[kGlyphCount];
    for (int i = 0; i < kGlyphCount; ++i) {
        Glyph& g = mGlyphs[i];
        g.index = FT_Get_Char_Index(mFace, kFirstChar + i);
        if (FT_Load_Glyph(mFace, g.index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) ||
            FT_Render_Glyph(mFace->glyph, FT_RENDER_MODE_NORMAL))
            continue;
        const FT_GlyphSlot slot = mFace->glyph;
        const FT_Bitmap& bm = slot->bitmap;
        g.present = true;
        g.left = float(slot->bitmap_left);
        g.top = float(slot->bitmap_top);
        g.width = float(bm.width);
        g.height = float(bm.rows);
        g.advanceX = slot->advance.x / 64.f;
        g.advanceY = slot->advance.y / 64.f;
        bitmaps[i].resize(size_t(bm.width) * bm.rows);
        for (unsigned row = 0; bm.width && row < bm.rows; ++row)
            std::memcpy(&bitmaps[i][size_t(row) * bm.width], bm.buffer + std::ptrdiff_t(row) * bm.pitch, bm.width);
    }

    // Shelf packing into the narrowest square-ish power-of-two atlas that holds everything.
    int x[kGlyphCount] = {}, y[kGlyphCount] = {};
    int width = 64, used = 0;
    for (;; width *= 2) {
        int penX = kPadding, penY = kPadding, rowHeight = 0;
        for (int i = 0; i < kGlyphCount; ++i) {
            const int w = int(mGlyphs[i].width), h = int(mGlyphs[i].height);
            if (!mGlyphs[i].present) continue;
            if (penX + w + kPadding > width) {
                penX = kPadding;
                penY += rowHeight + kPadding;
                rowHeight = 0;
            }
            x[i] = penX;
            y[i] = penY;
            penX += w + kPadding;
            if (h > rowHeight) rowHeight = h;
        }
        used = penY + rowHeight + kPadding;
        if (used <= width) break;
    }
    mAtlasWidth = width;
    mAtlasHeight = NextPowerOfTwo(used);
    mAtlas.assign(size_t(mAtlasWidth) * mAtlasHeight, 0);
    for (int i = 0; i < kGlyphCount; ++i) {
        Glyph& g = mGlyphs[i];
        if (!g.present) continue;
        const int w = int(g.width), h = int(g.height);
        for (int row = 0; w && row < h; ++row)
            std::memcpy(&mAtlas[size_t(y[i] + row) * mAtlasWidth + x[i]], &bitmaps[i][size_t(row) * w], w);
        g.s0 = float(x[i]) / mAtlasWidth;
        g.t0 = float(y[i]) / mAtlasHeight;
        g.s1 = float(x[i] + w) / mAtlasWidth;
        g.t1 = float(y[i] + h) / mAtlasHeight;
    }
}

const Font::Glyph* Font::Find(char c) const
{
    const int code = static_cast<unsigned char>(c);
    if (code < kFirstChar || code > kLastChar) return nullptr;
    const Glyph& g = mGlyphs[code - kFirstChar];
    return g.present ? &g : nullptr;
}

template <class Emit>
void Font::Layout(const char* s, float x, float y, Emit emit) const
{
    float penX = std::floor(x);
    float penY = std::floor(y);
    const bool kerning = mFace && FT_HAS_KERNING(mFace);
    const char* p = s;
    while (*p && !Find(*p)) ++p;
    while (*p) {
        const Glyph& g = *Find(*p);
        const char* next = p + 1;
        while (*next && !Find(*next)) ++next;
        FT_Vector k{0, 0};
        FT_Error error = 0;
        if (kerning && *next) error = FT_Get_Kerning(mFace, g.index, Find(*next)->index, FT_KERNING_UNFITTED, &k);
        if (!error) {
            const float x0 = penX + 0.5f * g.left;
            const float y0 = penY + 0.5f * g.top;
            emit(g, x0, y0, x0 + 0.5f * g.width, y0 - 0.5f * g.height);
            penX += 0.5f * (k.x / 64.f + g.advanceX);
            penY += 0.5f * (k.y / 64.f + g.advanceY);
        }
        p = next;
    }
}

void Font::Preload()
{
    char all[kGlyphCount + 1];
    for (int i = 0; i < kGlyphCount; ++i) all[i] = char(kFirstChar + i);
    all[kGlyphCount] = 0;
    ftFont->Advance(all);  // makes the texture font prepare each glyph
    Bind();
}

float Font::GetStringWidth(const char* s) const
{
    return 0.5f * ftFont->Advance(s);
}

void Font::Bind() const
{
    const AGLContext current = aglGetCurrentContext();
    if (!mTexture || mTextureContext != current) {
        mTexture = 0;
        mTextureContext = current;
        if (!mAtlasWidth) return;
        glGenTextures(1, &mTexture);
        glBindTexture(GL_TEXTURE_2D, mTexture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, mAtlasWidth, mAtlasHeight, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                     mAtlas.data());
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    }
    glBindTexture(GL_TEXTURE_2D, mTexture);
}

void Font::Draw(const char* s, float x, float y) const
{
    Bind();
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    Layout(s, x, y, [](const Glyph& g, float x0, float y0, float x1, float y1) {
        glTexCoord2f(g.s0, g.t0);
        glVertex3f(x0, y0, 0);
        glTexCoord2f(g.s0, g.t1);
        glVertex3f(x0, y1, 0);
        glTexCoord2f(g.s1, g.t1);
        glVertex3f(x1, y1, 0);
        glTexCoord2f(g.s1, g.t0);
        glVertex3f(x1, y0, 0);
    });
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
}

int Font::DrawIntoBuffer(FontVertex* out, const char* s, float x, float y) const
{
    int n = 0;
    Layout(s, x, y, [&](const Glyph& g, float x0, float y0, float x1, float y1) {
        out[n++] = {g.s0, g.t0, x0, y0, 0};
        out[n++] = {g.s0, g.t1, x0, y1, 0};
        out[n++] = {g.s1, g.t1, x1, y1, 0};
        out[n++] = {g.s1, g.t0, x1, y0, 0};
    });
    return n;
}

}  // namespace TW
