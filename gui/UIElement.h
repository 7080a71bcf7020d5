// The base of every element of the editor: something drawn, mouse-sensitive or both. Each
// element enrols itself with its manager when constructed; the manager owns and deletes it.
#pragma once

#include "platform/audio/AudioUnitTypes.h"
#include "platform/desktop/DesktopTypes.h"

namespace TW {

class Manager;
class Group;
class Font;
struct Bounds;

class UIElement {
public:
    explicit UIElement(Manager* m);
    virtual ~UIElement();
    UIElement(const UIElement&) = delete;
    UIElement& operator=(const UIElement&) = delete;

    // Immediate-mode drawing in local coordinates, on the render thread.
    virtual void Render() const;
    // Grows `b` by the element's box in its parent's coordinates.
    virtual void ExtendBounds(Bounds& b) const;
    // Mouse points are in world GUI units; `modifiers` is the key-modifier mask.
    virtual void MouseDown(const CGPoint& p, unsigned long modifiers);
    virtual void MouseDrag(const CGPoint& p, unsigned long modifiers);
    virtual void MouseUp(const CGPoint& p, unsigned long modifiers);
    virtual void MouseEntered();
    virtual void MouseExited();
    virtual void ParameterChange(const AudioUnitParameter* param, float value);
    // `p` is in the parent's coordinates; null when nothing is hit.
    virtual UIElement* HitTest(const CGPoint& p);
    virtual void CreateTrackingRegions();
    virtual void FinalPosition();
    virtual void InitialiseRendering();
    virtual void DrawLabel(const Font* font);

    // `b` starts empty; receives the element's box in world coordinates.
    void GetWorldBounds(Bounds& b) const;
    float GetWidth() const;
    float GetHeight() const;

    Manager* manager;
    Group* parent;
};

}  // namespace TW
