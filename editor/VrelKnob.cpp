#include "editor/VrelKnob.h"

#include <GL/gl.h>

#include "editor/VrelKnobRenderer.h"
#include "gui/Bounds.h"
#include "gui/Font.h"

namespace TW {

namespace {

constexpr float kLabelRoom = 10.0f;
constexpr float kHalfSweep = 2.356194490192345f;  // 135 degrees either side of straight up

}  // namespace

VrelKnob::VrelKnob(Manager* m, VrelKnobRenderer* r, int id, const char* label, float x, float y, float size)
    : Knob(m, id, x, y, size), renderer(r), slot(r->Add()), label(label)
{
    renderer->SetAngle(slot, 0.0f);
    const AudioUnitParameterUnit unit = param.ParamInfo().unit;
    if (unit == kAudioUnitParameterUnit_RelativeSemiTones) discrete = true;
    colour = ColourForUnit(unit);
    renderer->Info(slot).colour = colour;
}

Vec4 VrelKnob::ColourForUnit(AudioUnitParameterUnit unit)
{
    switch (unit) {
    case kAudioUnitParameterUnit_Boolean:
        return {0.2f, 0.95f, 0.3f, 1.0f};
    case kAudioUnitParameterUnit_Seconds:
    case kAudioUnitParameterUnit_Milliseconds:
        return {0.8f, 0.1f, 0.9f, 1.0f};
    case kAudioUnitParameterUnit_Hertz:
        return {0.2f, 0.7f, 0.9f, 1.0f};
    case kAudioUnitParameterUnit_RelativeSemiTones:
        return {0.0f, 0.5f, 1.0f, 1.0f};
    case kAudioUnitParameterUnit_LinearGain:
        return {1.0f, 0.2f, 0.2f, 1.0f};
    default:
        return {1.0f, 0.6f, 0.0f, 1.0f};
    }
}

void VrelKnob::Render() const {}

void VrelKnob::ExtendBounds(Bounds& b) const
{
    Bounds raised = bounds;
    raised.max.y += kLabelRoom;
    b.Expand(raised);
}

void VrelKnob::ParameterChange(const AudioUnitParameter* p, float value)
{
    Control::ParameterChange(p, value);
    renderer->SetAngle(slot, (2.0f * normalised.load(std::memory_order_relaxed) - 1.0f) * kHalfSweep);
}

void VrelKnob::FinalPosition()
{
    Bounds w;
    GetWorldBounds(w);
    renderer->SetPosition(slot, w.CentreX(), w.CentreY(), w.max.x - w.CentreX());
}

void VrelKnob::DrawLabel(const Font* font)
{
    if (!font || !label) return;
    Bounds w;
    GetWorldBounds(w);
    const float cx = w.CentreX(), cy = w.CentreY();
    const float y = cy - 0.5f * (w.max.y - cy) - 0.5f * font->ftFont->LineHeight();
    glColor3f(0.52f, 0.55f, 0.5f);
    font->Draw(label, cx - 0.5f * font->GetStringWidth(label), y);
}

}  // namespace TW
