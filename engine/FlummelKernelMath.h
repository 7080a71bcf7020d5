// Per-sample pieces the scalar kernel and the channel lanes share, so both compute alike.
#pragma once

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "platform/cf/MacTypes.h"

// NaN and Inf in the input count as silence.
inline Float32 SilenceIfNotFinite(Float32 x)
{
    return std::fabs(x) <= FLT_MAX ? x : 0.f;
}

// The share of the input recorded at head position p of a loop of nf samples: all of it from 16
// samples inside either end, falling linearly to none at the ends.
inline Float32 EdgeFade(Float32 p, Float32 nf)
{
    return std::min(std::min(nf - p, p), 16.f) * 0.0625f;
}
