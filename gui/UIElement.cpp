#include "gui/UIElement.h"

#include "gui/Bounds.h"
#include "gui/Group.h"
#include "gui/Manager.h"

namespace TW {

UIElement::UIElement(Manager* m) : manager(m), parent(nullptr)
{
    manager->AddElement(this);
}

UIElement::~UIElement() = default;

void UIElement::Render() const {}
void UIElement::ExtendBounds(Bounds&) const {}
void UIElement::MouseDown(const CGPoint&, unsigned long) {}
void UIElement::MouseDrag(const CGPoint&, unsigned long) {}
void UIElement::MouseUp(const CGPoint&, unsigned long) {}
void UIElement::MouseEntered() {}
void UIElement::MouseExited() {}
void UIElement::ParameterChange(const AudioUnitParameter*, float) {}
UIElement* UIElement::HitTest(const CGPoint&) { return nullptr; }
void UIElement::CreateTrackingRegions() {}
void UIElement::FinalPosition() {}
void UIElement::InitialiseRendering() {}
void UIElement::DrawLabel(const Font*) {}

void UIElement::GetWorldBounds(Bounds& b) const
{
    ExtendBounds(b);
    if (parent) parent->TransformBounds(b);
}

float UIElement::GetWidth() const
{
    Bounds b;
    ExtendBounds(b);
    return b.max.x - b.min.x;
}

float UIElement::GetHeight() const
{
    Bounds b;
    ExtendBounds(b);
    return b.max.y - b.min.y;
}

}  // namespace TW
