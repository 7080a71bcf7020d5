#include "gui/Bounds.h"

#include <algorithm>

namespace TW {

void Bounds::Expand(const Bounds& o)
{
    min.x = std::min(min.x, o.min.x);
    min.y = std::min(min.y, o.min.y);
    min.z = std::min(min.z, o.min.z);
    max.x = std::max(max.x, o.max.x);
    max.y = std::max(max.y, o.max.y);
    max.z = std::max(max.z, o.max.z);
}

void Bounds::Translate(const Vec3& d)
{
    min.x += d.x;
    min.y += d.y;
    min.z += d.z;
    max.x += d.x;
    max.y += d.y;
    max.z += d.z;
}

}  // namespace TW
