#include "gui/StaticText.h"

#include <GL/gl.h>

#include <cstring>

#include "gui/Font.h"
#include "gui/Manager.h"

namespace TW {

StaticText::StaticText(Manager* m) : Effect(m) {}

int StaticText::Add(const char* text, float x, float y, const Vec4* colour)
{
    const int length = int(std::strlen(text));
    entries.push_back({text, colour, x, y, 0, 4 * length});
    dirty = true;
    return int(entries.size()) - 1;
}

void StaticText::InitialiseRendering()
{
    dirty = false;
    int total = 0;
    for (Entry& e : entries) {
        e.firstVertex = total;
        total += e.vertexCount;
    }
    // Glyphless characters leave their reserved corners at zero: empty quads.
    vertices.assign(size_t(total), FontVertex{});
    if (const Font* font = manager->font)
        for (const Entry& e : entries) font->DrawIntoBuffer(vertices.data() + e.firstVertex, e.text.c_str(), e.x, e.y);
}

void StaticText::Render2d()
{
    if (dirty) InitialiseRendering();
    const Font* font = manager->font;
    if (!font || vertices.empty()) return;
    font->Bind();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glInterleavedArrays(GL_T2F_V3F, 0, vertices.data());
    for (const Entry& e : entries) {
        glColor4fv(e.colour->Data());
        glDrawArrays(GL_QUADS, e.firstVertex, e.vertexCount);
    }
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
}

}  // namespace TW
