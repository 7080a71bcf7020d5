#include "editor/Kitt.h"

#include <GL/gl.h>

#include <algorithm>

#include "gui/Texture.h"

namespace TW {

Kitt::Kitt(Manager* m, float x, float y, float w, float h, const DataToGui* data)
    : UIElement(m), rectangle({x, y, 0}, {x + w, y + h, 0}), data(data), texture(new Texture(m, "disc.png"))
{
}

void Kitt::ExtendBounds(Bounds& b) const
{
    b.Expand(rectangle);
}

void Kitt::Advance(float position, UInt8 forward) const
{
    for (int i = kHistory - 1; i > 0; --i) {
        positions[i] = positions[i - 1];
        directions[i] = directions[i - 1];
    }
    positions[0] = position;
    directions[0] = forward;
}

float Kitt::Whiteness(float position, float right)
{
    const float e = position <= 0.5f ? position : 1.0f - position;
    return 1.0f - 0.8f * std::min(right * e, 1.0f);
}

void Kitt::Render() const
{
    if (data)
        Advance(data->headPosition, data->headForward);
    else
        Advance(0.0f, 0);
    const float x0 = rectangle.min.x, y0 = rectangle.min.y, y1 = rectangle.max.y;
    const float width = rectangle.max.x - x0, height = y1 - y0;
    texture->Bind();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    float t = 0.0f;
    for (int i = 0; i < kHistory; ++i, t += 0.05f) {
        const float p = positions[i];
        const float xc = x0 + width * p;
        const float a = 0.5f - 0.5f * t;
        // The newest glow spans the middle 40 % of the height; older ones grow while they fade.
        const float d = height + 0.3f * height * (t * t - 1.0f);
        const float yHi = y0 + d, yLo = y1 - d;
        // The longer half trails behind the direction of travel.
        const float left = directions[i] ? 20.0f : 10.0f, right = directions[i] ? 10.0f : 20.0f;
        const float g = Whiteness(p, right);
        auto edge = [](float x, float y, float s, float tc) {
            glColor4f(0.6f, 0.0f, 0.6f, 0.0f);
            glTexCoord2f(s, tc);
            glVertex2f(x, y);
        };
        auto centre = [&](float x, float y, float s, float tc) {
            glColor4f(1.0f, g, g, a);
            glTexCoord2f(s, tc);
            glVertex2f(x, y);
        };
        edge(xc - left, yHi, 0, 0);
        edge(xc - left, yLo, 0, 1);
        centre(xc, yLo, 0.5f, 1);
        centre(xc, yHi, 0.5f, 0);
        centre(xc, yHi, 0.5f, 0);
        centre(xc, yLo, 0.5f, 1);
        edge(xc + right, yLo, 0, 1);
        edge(xc + right, yHi, 0, 0);
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace TW
