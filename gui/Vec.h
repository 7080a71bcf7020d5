// Small value types of the toolkit: points and colours in GUI units.
#pragma once

#include <atomic>

namespace TW {

struct Vec3 {
    float x, y, z;
};

// A colour (x, y, z, w = red, green, blue, alpha) or a homogeneous position.
struct Vec4 {
    float x, y, z, w;

    const float* Data() const { return &x; }
    float& operator[](int i) { return (&x)[i]; }
    float operator[](int i) const { return (&x)[i]; }
};

static_assert(sizeof(Vec3) == 3 * sizeof(float) && sizeof(Vec4) == 4 * sizeof(float));

// A Vec4 that one thread sets while another reads it, component by component (relaxed): a
// reader may see parts of two settings, which lasts one frame.
struct SharedVec4 {
    std::atomic<float> c[4];

    SharedVec4(const Vec4& v) { Store(v); }
    SharedVec4& operator=(const Vec4& v)
    {
        Store(v);
        return *this;
    }
    void Store(const Vec4& v)
    {
        for (int i = 0; i < 4; ++i) c[i].store(v[i], std::memory_order_relaxed);
    }
    Vec4 Load() const
    {
        return {c[0].load(std::memory_order_relaxed), c[1].load(std::memory_order_relaxed),
                c[2].load(std::memory_order_relaxed), c[3].load(std::memory_order_relaxed)};
    }
};

}  // namespace TW
