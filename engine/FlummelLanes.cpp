#include "engine/FlummelLanes.h"

#include "engine/FlummelKernelMath.h"
#include "engine/ProcessorFeatures.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace {

using Kernel = TrWkFlummel::CFlummelKernel;

struct LaneConstants {
    __m128 g, c3, L, m, f, q, thru, low, band, high, R, fb, dry, wet;
};

struct Lanes {
    __m128 low, high, band, lastIn, dc;
};

// One frame's filter in every lane, v the loop sample after the clip curve: the state-variable
// filter morphed between thru, low, band and high.
[[gnu::always_inline]] inline __m128 Filter(const LaneConstants& k, Lanes& s, __m128 v)
{
    s.low = _mm_add_ps(s.low, _mm_mul_ps(k.f, s.band));
    s.high = _mm_sub_ps(_mm_sub_ps(v, s.low), _mm_mul_ps(k.q, s.band));
    s.band = _mm_add_ps(_mm_mul_ps(k.f, s.high), s.band);
    return _mm_add_ps(
        _mm_add_ps(_mm_add_ps(_mm_mul_ps(k.thru, v), _mm_mul_ps(k.low, s.low)), _mm_mul_ps(k.band, s.band)),
        _mm_mul_ps(k.high, s.high));
}

// One frame's DC blocker in every lane.
[[gnu::always_inline]] inline __m128 DcBlock(const LaneConstants& k, Lanes& s, __m128 x)
{
    s.dc = _mm_add_ps(_mm_sub_ps(x, s.lastIn), _mm_mul_ps(k.R, s.dc));
    s.lastIn = x;
    return s.dc;
}

// The output, and what goes back into the loop: the filtered repeat e fed back, and the input x,
// all of it where the edge fade a is 1 and without its DC (x - dc) where it is 0.
inline void Mix(const LaneConstants& k, __m128 x, __m128 e, __m128 dc, __m128 a, __m128& out, __m128& record)
{
    out = _mm_add_ps(_mm_mul_ps(k.dry, x), _mm_mul_ps(k.wet, e));
    record = _mm_add_ps(_mm_add_ps(_mm_mul_ps(k.fb, e), _mm_mul_ps(a, x)),
                        _mm_mul_ps(_mm_sub_ps(_mm_set1_ps(1.f), a), _mm_sub_ps(x, dc)));
}

// The edge fade at head positions pos, pos + step, pos + 2 step, pos + 3 step.
template <bool forward>
inline __m128 EdgeFade4(SInt32 pos, __m128 nf)
{
    const __m128i offsets = forward ? _mm_setr_epi32(0, 1, 2, 3) : _mm_setr_epi32(0, -1, -2, -3);
    const __m128 p = _mm_cvtepi32_ps(_mm_add_epi32(_mm_set1_epi32(pos), offsets));
    return _mm_mul_ps(_mm_min_ps(_mm_min_ps(p, _mm_sub_ps(nf, p)), _mm_set1_ps(16.f)), _mm_set1_ps(0.0625f));
}

inline __m128 Drive(const LaneConstants& k, __m128 loopSamples)
{
    return _mm_mul_ps(k.m, ClipCurve4(_mm_mul_ps(k.g, loopSamples), k.c3, k.L));
}

// Four samples of the head's sweep from pos, in the order the head meets them.
template <bool forward>
inline __m128 LoadSweep(const Float32* loop, SInt32 pos)
{
    if constexpr (forward) return _mm_loadu_ps(loop + pos);
    const __m128 v = _mm_loadu_ps(loop + pos - 3);
    return _mm_shuffle_ps(v, v, _MM_SHUFFLE(0, 1, 2, 3));
}

template <bool forward>
inline void StoreSweep(Float32* loop, SInt32 pos, __m128 v)
{
    if constexpr (forward) _mm_storeu_ps(loop + pos, v);
    else _mm_storeu_ps(loop + pos - 3, _mm_shuffle_ps(v, v, _MM_SHUFFLE(0, 1, 2, 3)));
}

// Four vectors of four frames of one channel each into four vectors of one frame each, the
// channels in lanes, and back. Lane c holds channel c % count: lanes past count compute the
// same values again, and only the first count are stored.
template <UInt32 count>
inline void Transpose(__m128 (&v)[4])
{
    for (UInt32 c = count; c < 4; ++c) v[c] = v[c % count];
    _MM_TRANSPOSE4_PS(v[0], v[1], v[2], v[3]);
}

// One frame's sample of each channel, in lanes, and back.
template <UInt32 count>
inline __m128 Gather(Float32* const* p, SInt32 i)
{
    if constexpr (count == 1) return _mm_set1_ps(p[0][i]);
    else return _mm_set_ps(p[3 % count][i], p[2 % count][i], p[1][i], p[0][i]);
}

template <UInt32 count>
inline void Scatter(Float32* const* p, SInt32 i, __m128 v)
{
    alignas(16) Float32 lane[4];
    _mm_store_ps(lane, v);
    for (UInt32 c = 0; c < count; ++c) p[c][i] = lane[c];
}

// len frames of one direction of the head's sweep from pos; frame is where they start in io.
// Four at a time: each channel's four loop samples and inputs are read as one vector and go
// through the clip curve together, turn into one vector per frame, channels in lanes, for the
// filter and the DC blocker, and turn back for the mix. Within one direction every loop sample
// is read before it is written, so this sees what the sample-by-sample loop sees.
template <UInt32 count, bool forward>
[[gnu::always_inline]] inline void Sweep(const LaneConstants& k, Float32* const* loops, Float32* const* ios,
                                         SInt32 frame, SInt32 pos, UInt32 len, __m128 nf, Lanes& s)
{
    constexpr SInt32 step = forward ? 1 : -1;
    UInt32 j = 0;
    for (; j + 4 <= len; j += 4, frame += 4, pos += 4 * step) {
        __m128 v[4], x[4], e[4], dc[4];
        for (UInt32 c = 0; c < count; ++c) {
            v[c] = Drive(k, LoadSweep<forward>(loops[c], pos));
            x[c] = SilenceIfNotFinite4(_mm_loadu_ps(ios[c] + frame));
        }
        __m128 xFrames[4] = {x[0], x[1], x[2], x[3]};
        Transpose<count>(v);
        Transpose<count>(xFrames);
        for (UInt32 i = 0; i < 4; ++i) {
            e[i] = Filter(k, s, v[i]);
            dc[i] = DcBlock(k, s, xFrames[i]);
        }
        Transpose<4>(e);
        Transpose<4>(dc);
        const __m128 a = EdgeFade4<forward>(pos, nf);
        for (UInt32 c = 0; c < count; ++c) {
            __m128 out, record;
            Mix(k, x[c], e[c], dc[c], a, out, record);
            _mm_storeu_ps(ios[c] + frame, out);
            StoreSweep<forward>(loops[c], pos, record);
        }
    }
    for (; j < len; ++j, ++frame, pos += step) {
        const __m128 x = SilenceIfNotFinite4(Gather<count>(ios, frame));
        const __m128 e = Filter(k, s, Drive(k, Gather<count>(loops, pos)));
        __m128 out, record;
        Mix(k, x, e, DcBlock(k, s, x), _mm_set1_ps(EdgeFade(Float32(pos), _mm_cvtss_f32(nf))), out, record);
        Scatter<count>(ios, frame, out);
        Scatter<count>(loops, pos, record);
    }
}

template <UInt32 count>
[[gnu::always_inline]] inline void RunLanes(const FlummelBlockConstants& c, Float32* const* loops,
                                            Float32* const* ios, SInt32& ioPos, bool& ioForward, SInt32 n,
                                            UInt32 frames, Lanes& ioLanes)
{
    const LaneConstants k{_mm_set1_ps(c.g),    _mm_set1_ps(c.c3),   _mm_set1_ps(c.L),   _mm_set1_ps(c.m),
                          _mm_set1_ps(c.f),    _mm_set1_ps(c.q),    _mm_set1_ps(c.thru), _mm_set1_ps(c.low),
                          _mm_set1_ps(c.band), _mm_set1_ps(c.high), _mm_set1_ps(c.R),   _mm_set1_ps(c.fb),
                          _mm_set1_ps(c.dry),  _mm_set1_ps(c.wet)};
    // Local copies: the stores to the buffers cannot touch them, so they stay in registers.
    SInt32 pos = ioPos;
    bool forward = ioForward;
    Lanes s = ioLanes;
    const __m128 nf = _mm_set1_ps(Float32(n));
    UInt32 done = 0;
    while (done < frames) {
        const SInt32 run = forward ? n - pos : pos;
        const UInt32 len = std::min(frames - done, UInt32(run));
        if (forward) {
            Sweep<count, true>(k, loops, ios, SInt32(done), pos, len, nf, s);
            pos += SInt32(len);
        } else {
            Sweep<count, false>(k, loops, ios, SInt32(done), pos, len, nf, s);
            pos -= SInt32(len);
        }
        if (len == UInt32(run)) forward = !forward;
        done += len;
    }
    ioPos = pos, ioForward = forward, ioLanes = s;
}

using LanesLoop = void (*)(const FlummelBlockConstants&, Float32* const*, Float32* const*, SInt32&, bool&, SInt32,
                          UInt32, Lanes&);

template <UInt32 count>
void RunLanesSse2(const FlummelBlockConstants& k, Float32* const* loops, Float32* const* ios, SInt32& pos,
                  bool& forward, SInt32 n, UInt32 frames, Lanes& s)
{
    RunLanes<count>(k, loops, ios, pos, forward, n, frames, s);
}

// The same loop in three-operand (VEX) encoding where the processor has it: it spares the register
// copies that bound the two-operand loop.
template <UInt32 count>
FLUMMEL_TARGET_AVX void RunLanesAvx(const FlummelBlockConstants& k, Float32* const* loops, Float32* const* ios,
                                        SInt32& pos, bool& forward, SInt32 n, UInt32 frames, Lanes& s)
{
    RunLanes<count>(k, loops, ios, pos, forward, n, frames, s);
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

    LanesLoops()[std::min(count, 4u) - 1](k, loops, ios, pos, forward, n, frames, s);

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
    first.mOwner->PublishHead(Float32(pos), forward);
}

#else

void FlummelLanes::Run(const FlummelBlockConstants& k, TrWkFlummel::CFlummelKernel* const* kernels, Float32* const* io,
                       UInt32 count, UInt32 frames)
{
    for (UInt32 c = 0; c < count; ++c) kernels[c]->Run(k, io[c], frames);
}

#endif
