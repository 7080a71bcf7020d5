// One channel of the reversing delay: the loop, saturator, morphing filter, DC blocker,
// edge fade and feedback.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/FlummelBlockConstants.h"
#include "engine/FlummelKernelMath.h"
#include "engine/LoopRange.h"
#include "engine/ProcessorFeatures.h"
#include "engine/TrWkFlummel.h"

SInt32 FoldHeadPosition(SInt32 position, bool forward, SInt32 n)
{
    // The same result as subtracting n while the head is past the end of its sweep.
    if (forward) {
        if (position >= n) position %= n;
    } else {
        if (position > n) position = (position - 1) % n + 1;
        if (position < 1) position = 1;
    }
    return position;
}

TrWkFlummel::CFlummelKernel::CFlummelKernel(TrWkFlummel* owner) : AUKernelBase(owner), mOwner(owner)
{
    Reset();
}

void TrWkFlummel::CFlummelKernel::Reset()
{
    mSampleRate = Float32(mOwner->GetSampleRate());
    const size_t samples = size_t(mSampleRate * TW::kMaxDelayTime + 16.f);
    mDelayBuffer.Allocate(samples);
    std::memset(mDelayBuffer(), 0, samples * sizeof(Float32));
    mPosition = 0;
    mForward = true;
    mLow = mHigh = mBand = mDcBlock = mLastInput = 0.f;
}

void TrWkFlummel::CFlummelKernel::Process(const Float32* in, Float32* out, UInt32 frames, UInt32 channels,
                                          bool& ioSilence)
{
    if (in != out || channels != 1) throw SInt32(kAudioUnitErr_FormatNotSupported);
    const Float32 sr = Float32(mOwner->GetSampleRate());
    if (sr != mSampleRate) Reset();
    ioSilence = false;
    Run(FlummelBlockConstants::Compute(*mOwner, mOwner->mSettingTerms, sr, mOwner->mLfoPhase), out, frames);
}

namespace {

struct ChannelState {
    SInt32 pos;
    bool forward;
    Float32 p;  // the head position as a float, for the edge fade
    Float32 low, high, band, lastIn, dc;
};

[[gnu::always_inline]] inline void Sweep(const FlummelBlockConstants& constants, Float32* loop, Float32* io,
                                         UInt32 frames, SInt32 n, ChannelState& s)
{
    const FlummelBlockConstants k = constants;  // a local copy: stores to the buffers cannot touch it
    const Float32 nf = Float32(n);
    SInt32 pos = s.pos;
    bool forward = s.forward;
    Float32 p = s.p;
    Float32 low = s.low, high = s.high, band = s.band, lastIn = s.lastIn, dc = s.dc;

    UInt32 remaining = frames;
    while (remaining > 0) {
        const SInt32 run = forward ? n - pos : pos;
        const SInt32 step = forward ? 1 : -1;
        const UInt32 count = std::min(remaining, UInt32(run));
        if (count == UInt32(run)) forward = !forward;
        const Float32 fstep = Float32(step);
        for (UInt32 i = 0; i < count; ++i) {
            const Float32 x = SilenceIfNotFinite(io[i]);
            // Clip curve on the driven loop sample, brought back by the makeup gain.
            const Float32 v = k.m * ClipCurve(k.g * loop[pos], k.c3, k.L);
            // State-variable filter, morphed between thru, low, band and high.
            low = low + k.f * band;
            high = v - low - k.q * band;
            band = k.f * high + band;
            const Float32 e = k.thru * v + k.low * low + k.band * band + k.high * high;
            // Edge fade: the input is recorded fully only 16 samples inside the loop's ends.
            const Float32 a = EdgeFade(p, nf);
            // DC blocker: what the fade leaves out is the input without its DC.
            dc = x - lastIn + k.R * dc;
            io[i] = k.dry * x + k.wet * e;
            loop[pos] = k.fb * e + a * x + (1.f - a) * (x - dc);
            pos += step;
            p += fstep;
            lastIn = x;
        }
        io += count;
        remaining -= count;
    }
    s = {pos, forward, p, low, high, band, lastIn, dc};
}

void SweepSse2(const FlummelBlockConstants& k, Float32* loop, Float32* io, UInt32 frames, SInt32 n, ChannelState& s)
{
    Sweep(k, loop, io, frames, n, s);
}

FLUMMEL_TARGET_AVX void SweepAvx(const FlummelBlockConstants& k, Float32* loop, Float32* io, UInt32 frames,
                                     SInt32 n, ChannelState& s)
{
    Sweep(k, loop, io, frames, n, s);
}

}  // namespace

void TrWkFlummel::CFlummelKernel::Run(const FlummelBlockConstants& k, Float32* io, UInt32 frames)
{
    const SInt32 n = mOwner->mDelayLength;
    const SInt32 pos = FoldHeadPosition(mPosition, mForward, n);
    ChannelState s{pos, mForward, Float32(pos), mLow, mHigh, mBand, mLastInput, mDcBlock};
    (kProcessorHasAvx ? SweepAvx : SweepSse2)(k, mDelayBuffer(), io, frames, n, s);

    mPosition = s.pos;
    mForward = s.forward;
    mLow = std::clamp(s.low, -kFilterStateLimit, kFilterStateLimit);
    mBand = std::clamp(s.band, -kFilterStateLimit, kFilterStateLimit);
    mHigh = s.high, mLastInput = s.lastIn, mDcBlock = s.dc;
    mOwner->PublishHead(s.p, s.forward);
}

void TrWkFlummel::CFlummelKernel::UpdateSampleOverview(std::atomic<float>* out, SInt32 firstEntry, SInt32 lastEntry,
                                                       SInt32 samplesPerEntry, bool isFirst) const
{
    const Float32* loop = mDelayBuffer();
    auto compress = [](Float32 v) { return v >= 0.f ? std::sqrt(v) : -std::sqrt(-v); };
    for (SInt32 entry = firstEntry; entry <= lastEntry; ++entry) {
        std::atomic<float>& lower = out[4 * entry + 1];
        std::atomic<float>& upper = out[4 * entry + 3];
        Float32 lo = 1000000.f, hi = -1000000.f;
        LoopRange(loop + size_t(entry) * size_t(samplesPerEntry), samplesPerEntry, lo, hi);
        // Later channels widen the stored (compressed) envelope; compression is monotonic, so
        // comparing compressed values gives the envelope of all channels.
        lo = compress(lo);
        hi = compress(hi);
        if (!isFirst) {
            lo = std::min(lo, lower.load(std::memory_order_relaxed));
            hi = std::max(hi, upper.load(std::memory_order_relaxed));
        }
        lower.store(lo, std::memory_order_relaxed);
        upper.store(hi, std::memory_order_relaxed);
    }
}
