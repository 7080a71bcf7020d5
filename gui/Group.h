// A node of the element tree: children drawn and hit-tested in its own translated frame.
// Children are not owned (the manager owns every element).
#pragma once

#include <vector>

#include "gui/UIElement.h"
#include "gui/Vec.h"

namespace TW {

class Group : public UIElement {
public:
    explicit Group(Manager* m);

    void Render() const override;
    void ExtendBounds(Bounds& b) const override;
    UIElement* HitTest(const CGPoint& p) override;

    // Appends `e` and makes this group its parent; an element joins at most one group.
    void AddChild(UIElement* e);
    // Moves `b` from this group's coordinates to the world's (this offset and every ancestor's).
    void TransformBounds(Bounds& b) const;

    std::vector<UIElement*> children;
    Vec3 offset{0, 0, 0};

protected:
    // The children's box in this group's own coordinates (before the offset).
    Bounds ChildBounds() const;
};

}  // namespace TW
