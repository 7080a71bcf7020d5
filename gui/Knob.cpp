#include "gui/Knob.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "platform/desktop/Events.h"

namespace TW {

Knob::Knob(Manager* m, int id, float x, float y, float size) : Control(m, id)
{
    bounds = Bounds({x, y, 0}, {x + size, y + size, 0});
}

void Knob::MouseDown(const CGPoint& p, unsigned long modifiers)
{
    const AudioUnitParameterInfo& info = param.ParamInfo();
    if (modifiers & cmdKey) {
        ResetToDefault();
    } else if (discrete && info.minValue == 0.0f && info.maxValue == 1.0f) {
        param.SetValue(nullptr, nullptr, 1.0f - param.GetValue());
        normalised.store(NormalisedFromParam(param), std::memory_order_relaxed);
    }
    downPoint = p;
    downNormalised = normalised.load(std::memory_order_relaxed);
    Control::MouseDown(p, modifiers);
}

void Knob::MouseDrag(const CGPoint& p, unsigned long modifiers)
{
    const float perUnit = (modifiers & shiftKey) ? fineSensitivity : sensitivity;
    Store(std::clamp((p.y - downPoint.y) * perUnit + downNormalised, 0.0f, 1.0f));
}

void Knob::Wheel(int notches, unsigned long modifiers)
{
    const AudioUnitParameterInfo& info = param.ParamInfo();
    const float range = info.maxValue - info.minValue;
    if (!(range > 0) || notches == 0) return;
    const float step = discrete ? 1.0f / range : (modifiers & shiftKey) ? fineWheelStep : wheelStep;
    Store(std::clamp(NormalisedFromParam(param) + float(notches) * step, 0.0f, 1.0f));
}

void Knob::Render() const
{
    DrawFrame();
    const float cx = bounds.CentreX(), cy = bounds.CentreY();
    const float a = (2.0f * normalised.load(std::memory_order_relaxed) - 1.0f) * 2.3561926f;
    glColor3f(1, 1, 0);
    glBegin(GL_LINES);
    glVertex2f(cx, cy);
    glVertex2f(cx + (bounds.max.x - cx) * std::sin(a), cy + (bounds.max.y - cy) * std::cos(a));
    glEnd();
}

}  // namespace TW
