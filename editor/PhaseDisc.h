// A clock hand for a phase (a fraction of a turn, clockwise from straight up) with a fading
// wedge over the phases of the last ten frames. It reads the phase once a frame on the render
// thread, so its trail is made of frames, not of audio.
#pragma once

#include "gui/Bounds.h"
#include "gui/UIElement.h"

namespace TW {

class PhaseDisc : public UIElement {
public:
    static constexpr int kTrail = 10;

    struct TrailEntry {
        float phase, sine, cosine;
    };

    // `phase` is read every frame; not owned.
    PhaseDisc(Manager* m, float x, float y, float w, float h, const float* phase);

    void Render() const override;
    void ExtendBounds(Bounds& b) const override;

    // Moves the trail on by one frame: `phase` becomes the newest entry, the oldest is dropped.
    void Advance(float phase) const;

    mutable TrailEntry trail[kTrail] = {};  // newest first
    Bounds rectangle;
    const float* phase;
};

}  // namespace TW
