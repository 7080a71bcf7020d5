#include "gui/MultiSlider.h"

#include <GL/gl.h>

#include <algorithm>

#include "gui/Manager.h"
#include "platform/desktop/Events.h"

namespace TW {

MultiSlider::RegionReceiver::RegionReceiver(Manager* m, MultiSlider* owner, int column)
    : UIElement(m), owner(owner), column(column)
{
}

void MultiSlider::RegionReceiver::MouseEntered()
{
    owner->MouseEntered(column);
}

void MultiSlider::RegionReceiver::MouseExited()
{
    owner->MouseExited(column);
}

MultiSlider::MultiSlider(Manager* m, int firstId, int n, float x, float y, float width, float height)
    : MultiControl(m, firstId, n)
{
    bounds = Bounds({x, y, 0}, {x + width, y + height, 0});
    for (int k = 0; k < count; ++k) receivers.push_back(new RegionReceiver(m, this, k));
}

int MultiSlider::MouseIndex(const CGPoint& p, float& fx, float& fy) const
{
    Bounds w;
    GetWorldBounds(w);
    const float width = w.max.x - w.min.x, height = w.max.y - w.min.y;
    fx = width > 0 ? std::clamp((p.x - w.min.x) / width, 0.0f, 1.0f) : 0.0f;
    fy = height > 0 ? std::clamp((p.y - w.min.y) / height, 0.0f, 1.0f) : 0.0f;
    return std::min(int(float(count) * fx), count - 1);
}

void MultiSlider::MouseDown(const CGPoint& p, unsigned long modifiers)
{
    if (count == 0) return;
    float fx, fy;
    const int i = MouseIndex(p, fx, fy);
    if (modifiers & cmdKey) {
        ResetToDefault(params[size_t(i)]);
        values[i].store(NormalisedFromParam(params[size_t(i)]), std::memory_order_relaxed);
    }
    downPoint = p;
    downNormalised = values[i].load(std::memory_order_relaxed);
    downIndex = i;
    MouseDrag(p, modifiers);
}

void MultiSlider::MouseDrag(const CGPoint& p, unsigned long modifiers)
{
    if ((modifiers & cmdKey) || count == 0) return;
    float fx, fy;
    int i = MouseIndex(p, fx, fy);
    if (modifiers & optionKey) i = downIndex;
    float n = fy;
    if (modifiers & shiftKey) n = std::clamp((p.y - downPoint.y) * 0.0005f + downNormalised, 0.0f, 1.0f);
    const CAAUParameter& param = params[size_t(i)];
    SetParamFromNormalised(param, n);
    values[i].store(n, std::memory_order_relaxed);
    manager->draggedParam.store(int(param.mParameterID), std::memory_order_relaxed);
}

void MultiSlider::CreateTrackingRegions()
{
    Bounds w;
    GetWorldBounds(w);
    const float width = w.max.x - w.min.x;
    for (int k = 0; k < count; ++k) {
        Rect r;
        manager->BoundsToRect(w.min.x + width * float(k) / float(count), w.min.x + width * float(k + 1) / float(count),
                              w.min.y, w.max.y, r);
        manager->CreateTrackingRegion(receivers[size_t(k)], &r);
    }
}

void MultiSlider::MouseEntered(int column)
{
    if (column >= 0 && column < count) manager->SetMouseOverParam(int(params[size_t(column)].mParameterID), this);
}

void MultiSlider::MouseExited(int column)
{
    if (column < 0 || column >= count) return;
    int id = int(params[size_t(column)].mParameterID);
    manager->mouseOverParam.compare_exchange_strong(id, -1, std::memory_order_relaxed);
}

void MultiSlider::Render() const
{
    DrawFrame();
    glColor3f(1, 1, 0);
    glBegin(GL_POINTS);
    for (int i = 0; i < count; ++i)
        glVertex2f(bounds.min.x + (float(i) + 0.5f) / float(count) * (bounds.max.x - bounds.min.x),
                   bounds.min.y + (bounds.max.y - bounds.min.y) * values[i].load(std::memory_order_relaxed));
    glEnd();
}

}  // namespace TW
