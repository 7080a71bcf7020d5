// Where one styled knob stands and how it turns, as the knob renderer keeps it. The colour is
// fixed while the editor is built; the centre and radius are set on the render thread as it
// starts, the angle on the main thread whenever the parameter changes.
#pragma once

#include <atomic>

#include "gui/Vec.h"

namespace TW {

struct VrelKnobRenderInfo {
    Vec4 colour{0, 0, 0, 0};
    std::atomic<float> x{0};
    std::atomic<float> y{0};
    std::atomic<float> radius{0};
    std::atomic<float> angle{0};  // radians, clockwise from straight up
};

}  // namespace TW
