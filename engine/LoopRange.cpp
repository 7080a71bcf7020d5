// The loop-range scan: independent lanes of minima and maxima over whole blocks, the last block
// read again where the count is not a multiple (a range does not change for samples seen twice).
// No lane takes a NaN (min and max keep the lane's own value when either is NaN), so folding the
// lanes in any order gives the plain scan's value, unless that value is a zero: then the plain
// scan's order decides between +0 and -0.
#include "engine/LoopRange.h"

#include <algorithm>

#include "engine/ProcessorFeatures.h"

#if defined(__x86_64__)
#include <immintrin.h>

namespace {

// The range [lo, hi] folded from four lanes each; false where an end is zero.
bool FoldLanes(__m128 low, __m128 high, Float32& lo, Float32& hi)
{
    low = _mm_min_ps(low, _mm_movehl_ps(low, low));
    high = _mm_max_ps(high, _mm_movehl_ps(high, high));
    const Float32 l = _mm_cvtss_f32(_mm_min_ss(low, _mm_shuffle_ps(low, low, 1)));
    const Float32 h = _mm_cvtss_f32(_mm_max_ss(high, _mm_shuffle_ps(high, high, 1)));
    if (l == 0.f || h == 0.f) return false;
    lo = l, hi = h;
    return true;
}

// Sixteen samples a block; count >= 16.
bool RangeSse2(const Float32* s, SInt32 count, Float32& lo, Float32& hi)
{
    __m128 low[4], high[4];
    for (int a = 0; a < 4; ++a) low[a] = _mm_set1_ps(lo), high[a] = _mm_set1_ps(hi);
    for (SInt32 i = 0; i < count; i += 16) {
        const Float32* block = s + std::min(i, count - 16);
        for (int a = 0; a < 4; ++a) {
            const __m128 v = _mm_loadu_ps(block + 4 * a);
            low[a] = _mm_min_ps(v, low[a]);  // v < low ? v : low
            high[a] = _mm_max_ps(v, high[a]);
        }
    }
    return FoldLanes(_mm_min_ps(_mm_min_ps(low[0], low[1]), _mm_min_ps(low[2], low[3])),
                     _mm_max_ps(_mm_max_ps(high[0], high[1]), _mm_max_ps(high[2], high[3])), lo, hi);
}

// Thirty-two samples a block in eight-lane registers; count >= 32.
FLUMMEL_TARGET_AVX bool RangeAvx(const Float32* s, SInt32 count, Float32& lo, Float32& hi)
{
    __m256 low[4], high[4];
    for (int a = 0; a < 4; ++a) low[a] = _mm256_set1_ps(lo), high[a] = _mm256_set1_ps(hi);
    for (SInt32 i = 0; i < count; i += 32) {
        const Float32* block = s + std::min(i, count - 32);
        for (int a = 0; a < 4; ++a) {
            const __m256 v = _mm256_loadu_ps(block + 8 * a);
            low[a] = _mm256_min_ps(v, low[a]);
            high[a] = _mm256_max_ps(v, high[a]);
        }
    }
    const __m256 l = _mm256_min_ps(_mm256_min_ps(low[0], low[1]), _mm256_min_ps(low[2], low[3]));
    const __m256 h = _mm256_max_ps(_mm256_max_ps(high[0], high[1]), _mm256_max_ps(high[2], high[3]));
    return FoldLanes(_mm_min_ps(_mm256_castps256_ps128(l), _mm256_extractf128_ps(l, 1)),
                     _mm_max_ps(_mm256_castps256_ps128(h), _mm256_extractf128_ps(h, 1)), lo, hi);
}

}  // namespace
#endif

void LoopRange(const Float32* s, SInt32 count, Float32& lo, Float32& hi)
{
#if defined(__x86_64__)
    const bool done = (count >= 32 && kProcessorHasAvx) ? RangeAvx(s, count, lo, hi)
                                                        : (count >= 16 && RangeSse2(s, count, lo, hi));
    if (done) return;
#endif
    for (SInt32 i = 0; i < count; ++i) {
        if (s[i] < lo) lo = s[i];
        if (s[i] > hi) hi = s[i];
    }
}
