// The editor's push button: a translucent rectangle whose colour glides toward an orange glow
// while the pointer is over it and back when it leaves. Its label joins the manager's static
// text when rendering starts, centred in the rectangle in the large font.
#pragma once

#include "gui/Button.h"
#include "gui/Vec.h"

namespace TW {

class VrelButton : public Button {
public:
    static constexpr Vec4 kRestColour{0.3f, 0.3f, 0.3f, 0.2f};
    static constexpr Vec4 kHoverColour{0.8f, 0.4f, 0.1f, 0.3f};

    VrelButton(Manager* m, const char* label, Callback callback, void* userData, float x, float y, float w, float h,
               int helpIndex);

    void Render() const override;
    void MouseEntered() override;
    void MouseExited() override;
    void FinalPosition() override;

    // One frame's step of `current` toward `target`: 15 % of the remaining difference.
    static Vec4 Glide(const Vec4& current, const Vec4& target);
    // The colour of every button label.
    static const Vec4& LabelColour();

    // Moved toward the target once a frame, on the render thread.
    mutable Vec4 currentColour = kRestColour;
    // Set on the main thread by the pointer.
    SharedVec4 targetColour{kRestColour};
};

}  // namespace TW
