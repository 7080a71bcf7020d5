#include "engine/FlummelLanes.h"

#include "engine/FlummelKernelMath.h"
#include "engine/ProcessorFeatures.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace {

using Kernel = TrWkFlummel::CFlummelKernel;

inline __m128 Select(__m128 mask, __m128 a, __m128 b)
{
    return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
}

// Lanes past count repeat the channels before them (lane c holds channel c % count): they
// compute the same values again, and only the first count lanes are stored.
template <UInt32 count>
inline __m128 Gather(Float32* const* p, size_t i)
{
    if constexpr (count == 1) {
        return _mm_set1_ps(p[0][i]);
    } else if constexpr (count == 2) {
        const __m128 pair = _mm_unpacklo_ps(_mm_set_ss(p[0][i]), _mm_set_ss(p[1][i]));
        return _mm_movelh_ps(pair, pair);
    } else {
        return _mm_set_ps(p[3][i], p[2][i], p[1][i], p[0][i]);
    }
}

template <UInt32 count>
inline void Scatter(Float32* const* p, size_t i, __m128 v)
{
    alignas(16) Float32 lane[4];
    _mm_store_ps(lane, v);
    for (UInt32 c = 0; c < count; ++c) p[c][i] = lane[c];
}

struct Lanes {
    __m128 low, high, band, lastIn, dc;
};

template <UInt32 count>
[[gnu::always_inline]] inline void RunLanes(const FlummelBlockConstants& k, Float32* const* loops, Float32* const* ios,
                                            SInt32& pos, bool& forward, Float32& p, SInt32 n, UInt32 frames, Lanes& s)
{
    const Float32 nf = Float32(n);
    const __m128 g = _mm_set1_ps(k.g), c3 = _mm_set1_ps(k.c3), m = _mm_set1_ps(k.m);
    const __m128 clip = _mm_set1_ps(k.L), negClip = _mm_set1_ps(-k.L);
    const __m128 edge = _mm_set1_ps(1.5f), negEdge = _mm_set1_ps(-1.5f);
    const __m128 f = _mm_set1_ps(k.f), q = _mm_set1_ps(k.q);
    const __m128 thru = _mm_set1_ps(k.thru), wLow = _mm_set1_ps(k.low), wBand = _mm_set1_ps(k.band),
                 wHigh = _mm_set1_ps(k.high);
    const __m128 R = _mm_set1_ps(k.R), fb = _mm_set1_ps(k.fb), dry = _mm_set1_ps(k.dry), wet = _mm_set1_ps(k.wet);
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff)), largest = _mm_set1_ps(FLT_MAX);
    __m128 low = s.low, high = s.high, band = s.band, lastIn = s.lastIn, dc = s.dc;

    size_t frame = 0;
    UInt32 remaining = frames;
    while (remaining > 0) {
        const SInt32 run = forward ? n - pos : pos;
        const SInt32 step = forward ? 1 : -1;
        const UInt32 runFrames = std::min(remaining, UInt32(run));
        if (runFrames == UInt32(run)) forward = !forward;
        const Float32 fstep = Float32(step);
        for (UInt32 i = 0; i < runFrames; ++i, ++frame) {
            __m128 x = Gather<count>(ios, frame);
            x = _mm_and_ps(x, _mm_cmple_ps(_mm_and_ps(x, magnitude), largest));
            const __m128 d = _mm_mul_ps(g, Gather<count>(loops, size_t(pos)));
            __m128 y = _mm_sub_ps(d, _mm_mul_ps(_mm_mul_ps(_mm_mul_ps(c3, d), d), d));
            y = Select(_mm_cmpgt_ps(d, edge), clip, y);
            y = Select(_mm_cmpnge_ps(d, negEdge), negClip, y);
            const __m128 v = _mm_mul_ps(m, y);
            low = _mm_add_ps(low, _mm_mul_ps(f, band));
            high = _mm_sub_ps(_mm_sub_ps(v, low), _mm_mul_ps(q, band));
            band = _mm_add_ps(_mm_mul_ps(f, high), band);
            const __m128 e = _mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(thru, v), _mm_mul_ps(wLow, low)),
                                                   _mm_mul_ps(wBand, band)),
                                        _mm_mul_ps(wHigh, high));
            const Float32 a = EdgeFade(p, nf);
            dc = _mm_add_ps(_mm_sub_ps(x, lastIn), _mm_mul_ps(R, dc));
            Scatter<count>(ios, frame, _mm_add_ps(_mm_mul_ps(dry, x), _mm_mul_ps(wet, e)));
            const __m128 recorded = _mm_add_ps(_mm_add_ps(_mm_mul_ps(fb, e), _mm_mul_ps(_mm_set1_ps(a), x)),
                                               _mm_mul_ps(_mm_set1_ps(1.f - a), _mm_sub_ps(x, dc)));
            Scatter<count>(loops, size_t(pos), recorded);
            pos += step;
            p += fstep;
            lastIn = x;
        }
        remaining -= runFrames;
    }
    s = {low, high, band, lastIn, dc};
}

using LanesLoop = void (*)(const FlummelBlockConstants&, Float32* const*, Float32* const*, SInt32&, bool&, Float32&,
                          SInt32, UInt32, Lanes&);

template <UInt32 count>
void RunLanesSse2(const FlummelBlockConstants& k, Float32* const* loops, Float32* const* ios, SInt32& pos,
                  bool& forward, Float32& p, SInt32 n, UInt32 frames, Lanes& s)
{
    RunLanes<count>(k, loops, ios, pos, forward, p, n, frames, s);
}

// The same loop in three-operand (VEX) encoding where the processor has it: it spares the register
// copies that bound the two-operand loop.
template <UInt32 count>
FLUMMEL_TARGET_AVX void RunLanesAvx(const FlummelBlockConstants& k, Float32* const* loops, Float32* const* ios,
                                        SInt32& pos, bool& forward, Float32& p, SInt32 n, UInt32 frames, Lanes& s)
{
    RunLanes<count>(k, loops, ios, pos, forward, p, n, frames, s);
}

const LanesLoop* LanesLoops()
{
    static const LanesLoop sse2[] = {RunLanesSse2<1>, RunLanesSse2<2>, RunLanesSse2<3>, RunLanesSse2<4>};
    static const LanesLoop avx[] = {RunLanesAvx<1>, RunLanesAvx<2>, RunLanesAvx<3>, RunLanesAvx<4>};
    return kProcessorHasAvx ? avx : sse2;
}

__m128 LaneState(Float32 Kernel::*state, Kernel* const* kernels, UInt32 count)
{
    alignas(16) Float32 v[4];
    for (UInt32 c = 0; c < 4; ++c) v[c] = kernels[c % count]->*state;
    return _mm_load_ps(v);
}

}  // namespace

void FlummelLanes::Run(const FlummelBlockConstants& k, Kernel* const* kernels, Float32* const* io, UInt32 count,
                       UInt32 frames)
{
    Kernel& first = *kernels[0];
    const SInt32 n = first.mOwner->mDelayLength;
    SInt32 pos = FoldHeadPosition(first.mPosition, first.mForward, n);
    Float32 p = Float32(pos);
    bool forward = first.mForward;

    Float32* loops[4];
    Float32* ios[4];
    for (UInt32 c = 0; c < 4; ++c) {
        loops[c] = kernels[c % count]->mDelayBuffer();
        ios[c] = io[c % count];
    }
    Lanes s{LaneState(&Kernel::mLow, kernels, count), LaneState(&Kernel::mHigh, kernels, count),
            LaneState(&Kernel::mBand, kernels, count), LaneState(&Kernel::mLastInput, kernels, count),
            LaneState(&Kernel::mDcBlock, kernels, count)};

    LanesLoops()[std::min(count, 4u) - 1](k, loops, ios, pos, forward, p, n, frames, s);

    alignas(16) Float32 low[4], high[4], band[4], lastIn[4], dc[4];
    _mm_store_ps(low, s.low), _mm_store_ps(high, s.high), _mm_store_ps(band, s.band);
    _mm_store_ps(lastIn, s.lastIn), _mm_store_ps(dc, s.dc);
    for (UInt32 c = 0; c < count; ++c) {
        Kernel& kernel = *kernels[c];
        kernel.mPosition = pos;
        kernel.mForward = forward;
        kernel.mLow = std::clamp(low[c], -kFilterStateLimit, kFilterStateLimit);
        kernel.mBand = std::clamp(band[c], -kFilterStateLimit, kFilterStateLimit);
        kernel.mHigh = high[c], kernel.mLastInput = lastIn[c], kernel.mDcBlock = dc[c];
    }
    first.mOwner->PublishHead(p, forward);
}

#else

void FlummelLanes::Run(const FlummelBlockConstants& k, TrWkFlummel::CFlummelKernel* const* kernels, Float32* const* io,
                       UInt32 count, UInt32 frames)
{
    for (UInt32 c = 0; c < count; ++c) kernels[c]->Run(k, io[c], frames);
}

#endif
