#include "gui/ControlBase.h"

#include <GL/gl.h>

#include <cmath>

namespace TW {

ControlBase::ControlBase(Manager* m) : UIElement(m) {}

void ControlBase::ExtendBounds(Bounds& b) const
{
    b.Expand(bounds);
}

UIElement* ControlBase::HitTest(const CGPoint& p)
{
    const bool inside = bounds.min.x <= p.x && p.x <= bounds.max.x && bounds.min.y <= p.y && p.y <= bounds.max.y;
    return inside ? this : nullptr;
}

float ControlBase::NormalisedFromParam(const CAAUParameter& p)
{
    return AUParameterValueToLinear(p.GetValue(), &p);
}

void ControlBase::SetParamFromNormalised(const CAAUParameter& p, float& n) const
{
    float value;
    if (discrete) {
        const float min = p.ParamInfo().minValue;
        const float range = p.ParamInfo().maxValue - min;
        value = std::floor(range * n + min + 0.5f);
        n = range > 0 ? (value - min) / range : 0.0f;
    } else {
        value = AUParameterValueFromLinear(n, &p);
    }
    p.SetValue(nullptr, nullptr, value);
}

void ControlBase::ResetToDefault(const CAAUParameter& p)
{
    p.SetValue(nullptr, nullptr, p.ParamInfo().defaultValue);
}

void ControlBase::DrawFrame() const
{
    glColor3f(0, 1, 0);
    DrawRectangle(GL_LINE_LOOP);
}

void ControlBase::DrawRectangle(GLenum mode) const
{
    glBegin(mode);
    glVertex2f(bounds.min.x, bounds.min.y);
    glVertex2f(bounds.max.x, bounds.min.y);
    glVertex2f(bounds.max.x, bounds.max.y);
    glVertex2f(bounds.min.x, bounds.max.y);
    glEnd();
}

}  // namespace TW
