// An axis-aligned box in GUI units. A default box is empty: inverted so that the first Expand
// replaces it and expanding by an empty box changes nothing.
#pragma once

#include "gui/Vec.h"

namespace TW {

struct Bounds {
    static constexpr float kEmpty = 1e10f;

    Vec3 min{kEmpty, kEmpty, kEmpty};
    Vec3 max{-kEmpty, -kEmpty, -kEmpty};

    Bounds() = default;
    Bounds(const Vec3& lo, const Vec3& hi) : min(lo), max(hi) {}

    void Expand(const Bounds& other);
    // Moves both corners by `d`.
    void Translate(const Vec3& d);
    float CentreX() const { return 0.5f * (min.x + max.x); }
    float CentreY() const { return 0.5f * (min.y + max.y); }
};

}  // namespace TW
