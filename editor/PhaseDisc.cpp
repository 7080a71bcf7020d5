#include "editor/PhaseDisc.h"

#include <GL/gl.h>

#include <cmath>

namespace TW {

PhaseDisc::PhaseDisc(Manager* m, float x, float y, float w, float h, const float* phase)
    : UIElement(m), rectangle({x, y, 0}, {x + w, y + h, 0}), phase(phase)
{
}

void PhaseDisc::ExtendBounds(Bounds& b) const
{
    b.Expand(rectangle);
}

void PhaseDisc::Advance(float p) const
{
    for (int k = kTrail - 1; k > 0; --k) trail[k] = trail[k - 1];
    trail[0] = {p, std::sin(p * 6.2831855f), std::cos(p * 6.2831855f)};
}

void PhaseDisc::Render() const
{
    Advance(phase ? *phase : 0.0f);
    const float cx = rectangle.CentreX(), cy = rectangle.CentreY();
    const float hw = 0.5f * (rectangle.max.x - rectangle.min.x), hh = 0.5f * (rectangle.max.y - rectangle.min.y);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glBegin(GL_TRIANGLE_FAN);
    glColor4f(0.9f, 0.1f, 0.1f, 0.5f);
    glVertex2f(cx, cy);
    // Brightest at the newest edge, fading toward the oldest.
    float c = 1.0f;
    for (const TrailEntry& e : trail) {
        glColor4f(c, 0.5f * c, 0.0f, c);
        glVertex2f(cx + hw * e.sine, cy + hh * e.cosine);
        c -= 0.1f;
    }
    glEnd();
    glDisable(GL_BLEND);
}

}  // namespace TW
