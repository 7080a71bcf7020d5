// The delay loop's sample overview as a translucent band between its lower and upper envelope,
// outlined on both edges. The overview belongs to the engine, which rewrites it while it is
// drawn; nothing is drawn until its address is known.
#pragma once

#include <atomic>

#include "engine/FlummelShared.h"
#include "gui/Bounds.h"
#include "gui/UIElement.h"

namespace TW {

class WaveformDisplay : public UIElement {
public:
    WaveformDisplay(Manager* m, float x, float y, float w, float h, const DataToGui* data);

    // `overview`: kSampleOverviewFloats floats, (k, lower, k, upper) for k = 0 .. 255; not owned.
    void Set(const float* overview);

    void Render() const override;
    void ExtendBounds(Bounds& b) const override;

    Bounds rectangle;
    std::atomic<const float*> overview{nullptr};  // set on the main thread, drawn on the render thread
    const DataToGui* data;
};

}  // namespace TW
