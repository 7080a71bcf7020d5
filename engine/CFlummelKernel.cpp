// One channel of the reversing delay: the loop, saturator, morphing filter, DC blocker,
// edge fade and feedback.
#include <algorithm>
#include <cmath>
#include <cstring>

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

namespace {

// Damping limits of the state-variable filter. With input v and states (low, band) its step is
// the matrix [[1, f], [-f, 1 - f^2 - f q]]: determinant 1 - f q, and an eigenvalue reaches -1 at
// q = 2/f - f/2. Both eigenvalues lie strictly inside the unit circle for 0 < f q and
// q < 2/f - f/2; the limits keep q a fixed distance inside both edges, so rounding of f, q and
// the per-sample products (about 1e-7 relative) can never carry the filter across.
// - kDampingMargin below the Nyquist edge keeps 4 - f^2 - 2 f q >= 0.02 f, so a Nyquist ring
//   decays by at least 1 % a sample (its pole radius stays below 0.99).
// - kLeastDamping (Filter Q = 1, and Q above about 0.98) gives a resonance of about 1/q = 40 dB.
// The saturator holds the filter input within +-1.5 at every legal setting. With these limits
// the filter's gain for fixed settings (the sum of its impulse response's magnitudes, worst over
// f, legal q and the four outputs) is below 200, found numerically: about 190 next to the Nyquist
// edge at f = 1.05, 182 at the least damping. So its states stay within 1.5 * 200 = 300, and
// the output within TrWkFlummel::kFixedSettingsBound.
// The LFO changes f from one render call to the next, which can pump a little energy in (about
// 3 % above the fixed-settings figure at the worst measured). Within a call the filter is fixed,
// so clamping the two states to kStateLimit between calls, which fixed settings never reach,
// bounds every output: its transient gain on a starting state is below 5 (numerically 4.8,
// next to the Nyquist edge), so |output| <= 1 + 5 * 400 + 1.5 * 200 = TrWkFlummel::kOutputBound.
constexpr double kDampingMargin = 0.01;
constexpr Float32 kLeastDamping = 0.01f;
constexpr Float32 kStateLimit = 400.f;

struct BlockConstants {
    Float32 R, fb, dry, wet;
    Float32 c3, L, g, m;
    Float32 f, q;
    Float32 thru, low, band, high;
};

BlockConstants ComputeBlockConstants(TrWkFlummel& fx, Float32 sr, Float32 lfoPhase)
{
    BlockConstants k;
    k.R = 1.f + (1.f / sr) * -126.f;
    k.fb = fx.UsableParameter(kParam_Feedback) * 0.01f;
    const Float32 dry = fx.UsableParameter(kParam_DryLevel);
    const Float32 wet = fx.UsableParameter(kParam_EffectLevel);
    k.dry = dry * dry * dry;
    k.wet = wet * wet * wet;

    const Float32 s = fx.UsableParameter(kParam_SaturationShape);
    k.c3 = s * 0.14814815f;
    k.L = 1.5f - 0.5f * s;
    k.g = 1.f + fx.UsableParameter(kParam_SaturationAmount) * 1.3636364f;
    k.m = std::max(1.f / k.g, 0.125f);

    const Float32 fc = fx.UsableParameter(kParam_FilterCutoff);
    const Float32 amount = fx.UsableParameter(kParam_FilterLfoAmount);
    const Float32 lfo = std::cos(lfoPhase);
    Float32 fm = Float32(62.5 * std::exp2(std::log2(1.0 + 0.016 * double(fc)) + double(amount * lfo)) - 62.5);
    if (!(fm >= 0.f)) fm = 0.f;
    const double w = std::min(double(fm) * M_PI / double(sr), M_PI / 4);
    k.f = Float32(2.0 * std::sin(w));
    const Float32 qMax = Float32(std::min(2.0 / double(k.f) - double(k.f) / 2.0 - kDampingMargin, 2.0));
    k.q = Float32(2.0 * (1.0 - std::pow(double(fx.UsableParameter(kParam_FilterQ)), 0.25)));
    if (k.q > qMax) k.q = qMax;
    if (!(k.q >= kLeastDamping)) k.q = kLeastDamping;

    const Float32 t = fx.UsableParameter(kParam_FilterType);
    if (t < 1.f) {
        k.thru = 1.f - t, k.low = t, k.band = 0.f, k.high = 0.f;
    } else if (t < 2.f) {
        k.thru = 0.f, k.low = 2.f - t, k.band = t - 1.f, k.high = 0.f;
    } else if (t < 3.f) {
        k.thru = 0.f, k.low = 0.f, k.band = 3.f - t, k.high = t - 2.f;
    } else {
        k.thru = t - 3.f, k.low = 0.f, k.band = 0.f, k.high = 4.f - t;
    }
    return k;
}

}  // namespace

void TrWkFlummel::CFlummelKernel::Process(const Float32* in, Float32* out, UInt32 frames, UInt32 channels,
                                          bool& ioSilence)
{
    if (in != out || channels != 1) throw SInt32(kAudioUnitErr_FormatNotSupported);
    const Float32 sr = Float32(mOwner->GetSampleRate());
    if (sr != mSampleRate) Reset();
    ioSilence = false;

    const BlockConstants k = ComputeBlockConstants(*mOwner, sr, mOwner->mLfoPhase);
    const SInt32 n = mOwner->mDelayLength;
    const Float32 nf = Float32(n);

    Float32* const loop = mDelayBuffer();
    SInt32 pos = FoldHeadPosition(mPosition, mForward, n);
    Float32 p = Float32(pos);
    bool forward = mForward;
    Float32 low = mLow, high = mHigh, band = mBand, lastIn = mLastInput, dc = mDcBlock;
    Float32* io = out;

    UInt32 remaining = frames;
    while (remaining > 0) {
        const SInt32 run = forward ? n - pos : pos;
        const SInt32 step = forward ? 1 : -1;
        const UInt32 count = std::min(remaining, UInt32(run));
        if (count == UInt32(run)) forward = !forward;
        const Float32 fstep = Float32(step);
        for (UInt32 i = 0; i < count; ++i) {
            const Float32 x = std::isfinite(io[i]) ? io[i] : 0.f;  // NaN and Inf count as silence
            const Float32 d = k.g * loop[pos];
            Float32 y;
            if (d > 1.5f)
                y = k.L;
            else if (d >= -1.5f)
                y = d - k.c3 * d * d * d;
            else
                y = -k.L;
            const Float32 v = k.m * y;
            low = low + k.f * band;
            high = v - low - k.q * band;
            band = k.f * high + band;
            const Float32 e = k.thru * v + k.low * low + k.band * band + k.high * high;
            const Float32 a = std::min(std::min(nf - p, p), 16.f) * 0.0625f;
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

    mPosition = pos;
    mForward = forward;
    mLow = std::clamp(low, -kStateLimit, kStateLimit);
    mBand = std::clamp(band, -kStateLimit, kStateLimit);
    mHigh = high, mLastInput = lastIn, mDcBlock = dc;

    const Float32 head = p / nf;
    mOwner->mHeadPosition.store(head, std::memory_order_relaxed);
    mOwner->mHeadForward.store(forward ? 1 : 0, std::memory_order_relaxed);
    mOwner->mDelayPhase.store(head, std::memory_order_relaxed);
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
        const Float32* s = loop + size_t(entry) * size_t(samplesPerEntry);
        for (SInt32 i = 0; i < samplesPerEntry; ++i) {
            if (s[i] < lo) lo = s[i];
            if (s[i] > hi) hi = s[i];
        }
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
