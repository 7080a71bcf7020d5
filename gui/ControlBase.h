// The base of mouse-operated controls: a rectangle in the parent's coordinates that is hit
// inclusively at both ends, and the conversions between a parameter's value and a normalised
// position, with optional snapping to whole steps.
#pragma once

#include <GL/gl.h>

#include "framework/CAAUParameter.h"
#include "gui/Bounds.h"
#include "gui/UIElement.h"

namespace TW {

class ControlBase : public UIElement {
public:
    explicit ControlBase(Manager* m);

    void ExtendBounds(Bounds& b) const override;
    UIElement* HitTest(const CGPoint& p) override;

    static float NormalisedFromParam(const CAAUParameter& p);
    // Writes `n` to the parameter, telling every listener. When discrete the value is rounded to
    // a whole step and `n` rewritten to match it.
    void SetParamFromNormalised(const CAAUParameter& p, float& n) const;

    Bounds bounds;
    bool discrete = false;

protected:
    // Sets the parameter to its default value.
    static void ResetToDefault(const CAAUParameter& p);
    // The plain look: a green line loop around `bounds`.
    void DrawFrame() const;
    // `bounds` as one GL primitive of four corners (GL_LINE_LOOP, GL_QUADS) in the current colour.
    void DrawRectangle(GLenum mode) const;
};

}  // namespace TW
