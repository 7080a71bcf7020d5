// A rotary control worked by vertical motion: 200 units of travel sweep the whole range, 2000
// with shift. Command-click restores the default; a click on an on/off parameter toggles it.
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

    CGPoint downPoint{0, 0};
    float downNormalised = 0;
    float sensitivity = 0.005f;
    float fineSensitivity = 0.0005f;
};

}  // namespace TW
