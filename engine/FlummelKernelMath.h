// Per-sample pieces the scalar kernel and the channel lanes share, so both compute alike.
#pragma once

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "platform/cf/MacTypes.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
// Clip curve, four samples at a time: d - c3 d^3 within +-1.5, the clip level L beyond (and for
// NaN). Selected with masks, never a branch: on noise the two sides alternate at random.
inline __m128 ClipCurve4(__m128 d, __m128 c3, __m128 L)
{
    const __m128 cubic = _mm_sub_ps(d, _mm_mul_ps(_mm_mul_ps(_mm_mul_ps(c3, d), d), d));
    const __m128 above = _mm_cmpgt_ps(d, _mm_set1_ps(1.5f));
    const __m128 below = _mm_cmpnge_ps(d, _mm_set1_ps(-1.5f));
    const __m128 y = _mm_or_ps(_mm_and_ps(above, L), _mm_andnot_ps(above, cubic));
    return _mm_or_ps(_mm_and_ps(below, _mm_xor_ps(L, _mm_set1_ps(-0.f))), _mm_andnot_ps(below, y));
}

// Four samples with NaN and Inf made silence.
inline __m128 SilenceIfNotFinite4(__m128 x)
{
    const __m128 magnitude = _mm_andnot_ps(_mm_set1_ps(-0.f), x);
    return _mm_and_ps(x, _mm_cmple_ps(magnitude, _mm_set1_ps(FLT_MAX)));
}
#endif

// The clip curve on one sample.
inline Float32 ClipCurve(Float32 d, Float32 c3, Float32 L)
{
#if defined(__SSE2__)
    return _mm_cvtss_f32(ClipCurve4(_mm_set1_ps(d), _mm_set1_ps(c3), _mm_set1_ps(L)));
#else
    Float32 y = d - c3 * d * d * d;
    y = d > 1.5f ? L : y;
    return !(d >= -1.5f) ? -L : y;
#endif
}
