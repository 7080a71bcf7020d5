#include "gui/Slider.h"

#include <GL/gl.h>

#include <algorithm>

#include "platform/desktop/Events.h"

namespace TW {

Slider::Slider(Manager* m, int id, float x, float y, float width, float height, bool horizontal)
    : Control(m, id), horizontal(horizontal)
{
    bounds = Bounds({x, y, 0}, {x + width, y + height, 0});
}

void Slider::MouseDown(const CGPoint& p, unsigned long modifiers)
{
    if (modifiers & cmdKey) ResetToDefault();
    downPoint = p;
    downNormalised = normalised.load(std::memory_order_relaxed);
    Control::MouseDown(p, modifiers);
    MouseDrag(p, modifiers);
}

void Slider::MouseDrag(const CGPoint& p, unsigned long modifiers)
{
    if (modifiers & cmdKey) return;
    float n;
    if (modifiers & shiftKey) {
        n = 0.0005f * (horizontal ? p.x - downPoint.x : p.y - downPoint.y) + downNormalised;
    } else {
        Bounds w;
        GetWorldBounds(w);
        const float lo = horizontal ? w.min.x : w.min.y;
        const float extent = horizontal ? w.max.x - w.min.x : w.max.y - w.min.y;
        n = extent > 0 ? ((horizontal ? p.x : p.y) - lo) / extent : 0.0f;
    }
    Store(std::clamp(n, 0.0f, 1.0f));
}

void Slider::Render() const
{
    DrawFrame();
    const float n = normalised.load(std::memory_order_relaxed);
    glColor3f(1, 1, 0);
    glBegin(GL_POINTS);
    if (horizontal)
        glVertex2f(bounds.min.x + (bounds.max.x - bounds.min.x) * n, bounds.CentreY());
    else
        glVertex2f(bounds.CentreX(), bounds.min.y + (bounds.max.y - bounds.min.y) * n);
    glEnd();
}

}  // namespace TW
