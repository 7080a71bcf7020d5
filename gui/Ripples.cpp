#include "gui/Ripples.h"

#include <GL/gl.h>

#include "gui/Manager.h"
#include "gui/Texture.h"

namespace TW {

Ripples::Ripples(Manager* m, Texture* texture) : Effect(m), texture(texture) {}

void Ripples::Trigger(const Vec3& position, const Vec4& colour, float radius, float lifetime, float growth)
{
    if (count >= kMaxRipples) return;
    ripples[count++] = {position, colour, radius, lifetime, 0.0f, growth};
}

void Ripples::Update()
{
    if (!Manager::ms_enableEyeCandy) return;
    for (int i = 0; i < count;) {
        Ripple& r = ripples[i];
        r.age += kStep;
        if (r.age >= r.lifetime) {
            ripples[i] = ripples[--count];  // the last live one fills the gap and is aged next
            continue;
        }
        r.radius += r.growth * kStep;
        ++i;
    }
}

float Ripples::AlphaFactor(float age, float lifetime)
{
    float t = 6.0f * age / lifetime;
    if (t > 1.0f) t = 1.2f - 0.2f * t;
    return t;
}

void Ripples::Render2d()
{
    if (!Manager::ms_enableEyeCandy || count == 0) return;
    if (texture) texture->Bind();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glBegin(GL_QUADS);
    for (int i = 0; i < count; ++i) {
        const Ripple& r = ripples[i];
        const float x = r.position.x, y = r.position.y, s = r.radius;
        glColor4f(r.colour.x, r.colour.y, r.colour.z, AlphaFactor(r.age, r.lifetime) * r.colour.w);
        glTexCoord2f(0, 0);
        glVertex2f(x - s, y - s);
        glTexCoord2f(0, 1);
        glVertex2f(x + s, y - s);
        glTexCoord2f(1, 1);
        glVertex2f(x + s, y + s);
        glTexCoord2f(1, 0);
        glVertex2f(x - s, y + s);
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
}

}  // namespace TW
