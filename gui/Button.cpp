#include "gui/Button.h"

#include "gui/Manager.h"

namespace TW {

Button::Button(Manager* m, const char* label, Callback callback, void* userData, float x, float y, float width,
               float height, int id)
    : ControlBase(m), label(label ? label : ""), callback(callback), userData(userData), id(id)
{
    bounds = Bounds({x, y, 0}, {x + width, y + height, 0});
}

void Button::MouseUp(const CGPoint&, unsigned long)
{
    if (callback) callback(this, userData);
}

void Button::MouseEntered()
{
    manager->SetMouseOverParam(id, this);
}

void Button::MouseExited()
{
    int expected = id;
    manager->mouseOverParam.compare_exchange_strong(expected, -1, std::memory_order_relaxed);
}

void Button::CreateTrackingRegions()
{
    manager->CreateTrackingRegion(this, nullptr);
}

void Button::Render() const
{
    DrawFrame();
}

}  // namespace TW
