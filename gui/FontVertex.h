// One corner of a glyph quad in GL's interleaved T2F_V3F layout: texture s, t, then x, y, z.
#pragma once

namespace TW {

struct FontVertex {
    float s, t;
    float x, y, z;
};

static_assert(sizeof(FontVertex) == 5 * sizeof(float));

}  // namespace TW
