// Text drawn at half the size it is rasterised at, so glyphs keep twice the screen resolution.
// Metrics, string advances and line spacing come from the texture font; the glyph quads come
// from this class's own atlas of printable ASCII (codes 32 to 126), rasterised once from the
// same face at the same size, because the quads need each glyph's bitmap placement and atlas
// corners. Characters outside that range have no glyph and are skipped.
#pragma once

#include <FTGL/ftgl.h>

#include <vector>

#include "gui/FontVertex.h"
#include "platform/desktop/GLContexts.h"

namespace TW {

class Font {
public:
    static constexpr int kFirstChar = 32;
    static constexpr int kLastChar = 126;

    Font(const char* path, int size);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Prepares every printable glyph for drawing in the current GL context.
    void Preload();
    float GetStringWidth(const char* s) const;
    // Immediate-mode quads with the atlas bound; the caller sets the colour.
    void Draw(const char* s, float x, float y) const;
    // The same quads into `out` (4 vertices a glyph, room for 4 a byte of `s`); returns the
    // number of vertices written.
    int DrawIntoBuffer(FontVertex* out, const char* s, float x, float y) const;
    // Binds the glyph atlas to GL_TEXTURE_2D, creating it in the current context if needed.
    void Bind() const;

    FTGLTextureFont* ftFont;

private:
    struct Glyph {
        bool present = false;
        unsigned index = 0;            // glyph index in the face
        float left = 0, top = 0;       // bitmap offset from the pen, pixels (y up)
        float width = 0, height = 0;   // bitmap size, pixels
        float s0 = 0, t0 = 0, s1 = 0, t1 = 0;  // atlas corners: top-left, bottom-right
        float advanceX = 0, advanceY = 0;
    };

    void Rasterise(const char* path, int pixelSize);
    const Glyph* Find(char c) const;
    // Calls emit(glyph, x0, y0, x1, y1) for every glyph of `s`, pen starting at floor(x, y).
    template <class Emit>
    void Layout(const char* s, float x, float y, Emit emit) const;

    FT_Library mLibrary = nullptr;
    FT_Face mFace = nullptr;  // for the atlas and kerning
    Glyph mGlyphs[kLastChar - kFirstChar + 1];
    std::vector<unsigned char> mAtlas;  // alpha, first row at t = 0
    int mAtlasWidth = 0;
    int mAtlasHeight = 0;
    mutable unsigned mTexture = 0;
    mutable AGLContext mTextureContext = nullptr;  // the GL context that holds mTexture
};

}  // namespace TW
