// A rotary control worked by vertical motion: 200 units of travel sweep the whole range, 2000
// with shift. Command-click restores the default; a click on an on/off parameter toggles it.
// A wheel notch moves it by 1 % of its range (0.1 % with shift), or one step when discrete.
#pragma once

#include "gui/Control.h"

namespace TW {

class Knob : public Control {
public:
    // A size x size square with its bottom-left corner at (x, y).
    Knob(Manager* m, int id, float x, float y, float size);

    void MouseDown(const CGPoint& p, unsigned long modifiers) override;
    void MouseDrag(const CGPoint& p, unsigned long modifiers) override;
    void Render() const override;
    // `notches` up (positive) or down from the value the parameter holds now.
    void Wheel(int notches, unsigned long modifiers);

    CGPoint downPoint{0, 0};
    float downNormalised = 0;
    float sensitivity = 0.005f;
    float fineSensitivity = 0.0005f;
    float wheelStep = 0.01f;
    float fineWheelStep = 0.001f;
};

}  // namespace TW
