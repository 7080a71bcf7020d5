#include "gui/NamedGroup.h"

#include <GL/gl.h>

#include "gui/Bounds.h"
#include "gui/Font.h"
#include "gui/Manager.h"
#include "gui/StaticText.h"

namespace TW {

Vec4 NamedGroup::ms_activeTargetColour{0.5f, 0.8f, 1.0f, 0.6f};
Vec4 NamedGroup::ms_inactiveTargetColour{0.5f, 0.5f, 0.5f, 0.5f};

NamedGroup::NamedGroup(Manager* m, const char* name, float margin) : Group(m), name(name), margin(margin) {}

void NamedGroup::ExtendBounds(Bounds& out) const
{
    if (children.empty()) return;
    Bounds local = ChildBounds();
    local.min.x -= margin;
    local.min.y -= margin;
    local.max.x += margin;
    local.max.y += margin;
    local.Translate(offset);
    out.Expand(local);
}

void NamedGroup::FinalPosition()
{
    Bounds w;
    GetWorldBounds(w);
    const float x = w.min.x + margin;
    float titleWidth = 0;
    if (const Font* font = manager->font) {
        const float y = w.max.y - 0.25f * font->ftFont->LineHeight() - 0.5f * font->ftFont->Descender();
        manager->staticText->Add(name, x, y, &colour);
        titleWidth = font->GetStringWidth(name);
    }
    const float strip[12] = {x,       w.max.y, w.min.x, w.max.y, w.min.x, w.min.y,
                             w.max.x, w.min.y, w.max.x, w.max.y, x + titleWidth, w.max.y};
    for (int i = 0; i < 12; ++i) outline[i] = strip[i];
}

void NamedGroup::Render() const
{
    Group::Render();
    const Vec4 target = targetColour.Load();
    for (int i = 0; i < 4; ++i) colour[i] = 0.85f * colour[i] + 0.15f * target[i];
    glColor4fv(colour.Data());
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, outline);
    glDrawArrays(GL_LINE_STRIP, 0, 6);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_BLEND);
}

void NamedGroup::CreateTrackingRegions()
{
    manager->CreateTrackingRegion(this, nullptr);
}

void NamedGroup::MouseEntered()
{
    targetColour = ms_activeTargetColour;
}

void NamedGroup::MouseExited()
{
    targetColour = ms_inactiveTargetColour;
}

}  // namespace TW
