// A scanner strip following the delay loop's head: a glow at the head's position, stretched
// behind its direction of travel, trailed by the glows of the last twenty frames, which fade and
// grow taller as they age. Glows turn white near either end of the strip.
#pragma once

#include "engine/FlummelShared.h"
#include "gui/Bounds.h"
#include "gui/UIElement.h"

namespace TW {

class Texture;

class Kitt : public UIElement {
public:
    static constexpr int kHistory = 20;

    // Reads the head from `data` every frame (not owned); its glow image is one of the
    // manager's textures.
    Kitt(Manager* m, float x, float y, float w, float h, const DataToGui* data);

    void Render() const override;
    void ExtendBounds(Bounds& b) const override;

    // Moves the histories on by one frame, the given head newest.
    void Advance(float position, UInt8 forward) const;
    // The green and blue of a glow at `position` (0 .. 1) whose right half is `right` units wide:
    // 0.2 (red) over most of the strip, rising to 1 (white) within 1 / `right` of either end.
    static float Whiteness(float position, float right);

    mutable float positions[kHistory] = {};  // newest first
    mutable UInt8 directions[kHistory] = {};
    Bounds rectangle;
    const DataToGui* data;
    Texture* texture;  // the manager's
};

}  // namespace TW
