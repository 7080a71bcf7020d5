// A titled, framed group whose frame and title glide toward a brighter colour while the pointer
// is over it. The frame is a rectangle around the children, grown by `margin`, with a gap in
// its top edge where the title sits.
#pragma once

#include "gui/Group.h"
#include "gui/Vec.h"

namespace TW {

class NamedGroup : public Group {
public:
    // `name` is kept as a pointer: it must live as long as the group.
    NamedGroup(Manager* m, const char* name, float margin);

    void Render() const override;
    void ExtendBounds(Bounds& b) const override;
    void MouseEntered() override;
    void MouseExited() override;
    void CreateTrackingRegions() override;
    void FinalPosition() override;

    static Vec4 ms_activeTargetColour;
    static Vec4 ms_inactiveTargetColour;

    const char* name;
    float margin;
    // Moved a step toward targetColour every frame; the title in the static text follows it.
    mutable Vec4 colour{0.5f, 0.5f, 0.5f, 0.5f};
    // Set on the main thread by the pointer, followed on the render thread.
    SharedVec4 targetColour{Vec4{0.5f, 0.5f, 0.5f, 0.5f}};
    // World-space line strip: the frame, open where the title is.
    float outline[12] = {};
};

}  // namespace TW
