// A push button: calls its callback on every release, wherever the pointer is by then, and
// shows its status id while hovered. It never marks a parameter as dragged.
#pragma once

#include <string>

#include "gui/ControlBase.h"

namespace TW {

class Button : public ControlBase {
public:
    using Callback = void (*)(Button*, void*);

    // The rectangle (x, y) to (x + width, y + height); `label` is copied.
    Button(Manager* m, const char* label, Callback callback, void* userData, float x, float y, float width,
           float height, int id);

    void MouseUp(const CGPoint& p, unsigned long modifiers) override;
    void MouseEntered() override;
    void MouseExited() override;
    void CreateTrackingRegions() override;
    void Render() const override;

    std::string label;
    Callback callback;
    void* userData;
    int id;  // shown in the status line while hovered
};

}  // namespace TW
