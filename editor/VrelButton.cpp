#include "editor/VrelButton.h"

#include <GL/gl.h>

#include "gui/Bounds.h"
#include "gui/Font.h"
#include "gui/Manager.h"
#include "gui/StaticText.h"

namespace TW {

VrelButton::VrelButton(Manager* m, const char* label, Callback callback, void* userData, float x, float y, float w,
                       float h, int helpIndex)
    : Button(m, label, callback, userData, x, y, w, h, helpIndex)
{
}

const Vec4& VrelButton::LabelColour()
{
    static const Vec4 buttonColour{0.8f, 0.8f, 0.8f, 1.0f};
    return buttonColour;
}

Vec4 VrelButton::Glide(const Vec4& current, const Vec4& target)
{
    Vec4 next;
    for (int i = 0; i < 4; ++i) next[i] = 0.85f * current[i] + 0.15f * target[i];
    return next;
}

void VrelButton::Render() const
{
    currentColour = Glide(currentColour, targetColour.Load());
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4fv(currentColour.Data());
    DrawRectangle(GL_QUADS);
    glDisable(GL_BLEND);
}

void VrelButton::MouseEntered()
{
    targetColour = kHoverColour;
    Button::MouseEntered();
}

void VrelButton::MouseExited()
{
    targetColour = kRestColour;
    Button::MouseExited();
}

void VrelButton::FinalPosition()
{
    const Font* font = manager->font;
    if (!font) return;
    Bounds w;
    GetWorldBounds(w);
    const float x = w.CentreX() - 0.5f * font->GetStringWidth(label.c_str());
    const float y = w.CentreY() - 0.25f * font->ftFont->LineHeight() - 0.5f * font->ftFont->Descender();
    manager->staticText->Add(label.c_str(), x, y, &LabelColour());
}

}  // namespace TW
