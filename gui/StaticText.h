// Every fixed string of the editor (banner, group titles, button labels) in one interleaved
// glyph array, drawn with one call per string in the main font. Each string keeps a pointer to
// its colour, so a colour that changes later recolours the string without rebuilding anything.
#pragma once

#include <string>
#include <vector>

#include "gui/Effect.h"
#include "gui/FontVertex.h"
#include "gui/Vec.h"

namespace TW {

class StaticText : public Effect {
public:
    struct Entry {
        std::string text;
        const Vec4* colour;
        float x, y;  // baseline start
        int firstVertex;
        int vertexCount;  // 4 a byte of text
    };

    explicit StaticText(Manager* m);

    // Keeps `colour` as a pointer; returns the entry's index.
    int Add(const char* text, float x, float y, const Vec4* colour);
    // Lays the entries out into `vertices` with the manager's main font.
    void InitialiseRendering() override;
    void Render2d() override;

    std::vector<Entry> entries;
    std::vector<FontVertex> vertices;
    bool dirty = true;
};

}  // namespace TW
