#include "gui/Group.h"

#include <GL/gl.h>

#include <cmath>

#include "gui/Bounds.h"

namespace TW {

Group::Group(Manager* m) : UIElement(m) {}

void Group::Render() const
{
    glPushMatrix();
    glTranslatef(offset.x, offset.y, offset.z);
    for (const UIElement* child : children) child->Render();
    glPopMatrix();
}

Bounds Group::ChildBounds() const
{
    Bounds local;
    for (const UIElement* child : children) child->ExtendBounds(local);
    return local;
}

void Group::ExtendBounds(Bounds& out) const
{
    if (children.empty()) return;
    Bounds local = ChildBounds();
    local.Translate(offset);
    out.Expand(local);
}

UIElement* Group::HitTest(const CGPoint& p)
{
    const CGPoint local{std::trunc(p.x - offset.x), std::trunc(p.y - offset.y)};
    for (UIElement* child : children)
        if (UIElement* hit = child->HitTest(local)) return hit;
    return nullptr;
}

void Group::AddChild(UIElement* e)
{
    children.push_back(e);
    e->parent = this;
}

void Group::TransformBounds(Bounds& b) const
{
    for (const Group* g = this; g; g = g->parent) b.Translate(g->offset);
}

}  // namespace TW
