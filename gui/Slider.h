// A linear control: a click jumps to the pointer and a drag follows it; with shift the value
// moves by 0.0005 a unit from where the gesture started. Command-click restores the default.
#pragma once

#include "gui/Control.h"

namespace TW {

class Slider : public Control {
public:
    // The rectangle (x, y) to (x + width, y + height), travelled along x when `horizontal`.
    Slider(Manager* m, int id, float x, float y, float width, float height, bool horizontal);

    void MouseDown(const CGPoint& p, unsigned long modifiers) override;
    void MouseDrag(const CGPoint& p, unsigned long modifiers) override;
    void Render() const override;

    bool horizontal;
    CGPoint downPoint{0, 0};
    float downNormalised = 0;
};

}  // namespace TW
