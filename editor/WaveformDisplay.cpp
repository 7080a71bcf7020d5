#include "editor/WaveformDisplay.h"

#include <GL/gl.h>

namespace TW {

WaveformDisplay::WaveformDisplay(Manager* m, float x, float y, float w, float h, const DataToGui* data)
    : UIElement(m), rectangle({x, y, 0}, {x + w, y + h, 0}), data(data)
{
}

void WaveformDisplay::Set(const float* o)
{
    overview.store(o, std::memory_order_relaxed);
}

void WaveformDisplay::ExtendBounds(Bounds& b) const
{
    b.Expand(rectangle);
}

void WaveformDisplay::Render() const
{
    const float* o = overview.load(std::memory_order_relaxed);
    if (!o) return;
    const float x0 = rectangle.min.x, y0 = rectangle.min.y, x1 = rectangle.max.x, y1 = rectangle.max.y;
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPushMatrix();
    // Overview x 0 .. 256 across the width, y -1 .. 1 over the height.
    glTranslatef(x0, 0.5f * (y0 + y1), 0);
    glScalef((x1 - x0) * 0.00390625f, (y1 - y0) * 0.5f, 1);
    glEnableClientState(GL_VERTEX_ARRAY);
    glColor4f(0.8f, 0.8f, 1.0f, 0.25f);
    glVertexPointer(2, GL_FLOAT, 0, o);
    glDrawArrays(GL_QUAD_STRIP, 0, 2 * kSampleOverviewEntries);
    // The lower outline, then the upper one.
    glColor4f(0.8f, 0.8f, 1.0f, 0.75f);
    glVertexPointer(2, GL_FLOAT, 4 * sizeof(float), o);
    glDrawArrays(GL_LINE_STRIP, 0, kSampleOverviewEntries);
    glVertexPointer(2, GL_FLOAT, 4 * sizeof(float), o + 2);
    glDrawArrays(GL_LINE_STRIP, 0, kSampleOverviewEntries);
    glDisableClientState(GL_VERTEX_ARRAY);
    glPopMatrix();
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_BLEND);
}

}  // namespace TW
