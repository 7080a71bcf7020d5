#include "engine/FlummelBlockConstants.h"

#include <algorithm>
#include <cmath>

#include "engine/TrWkFlummel.h"

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
// so clamping the two states to kFilterStateLimit between calls, which fixed settings never
// reach, bounds every output: its transient gain on a starting state is below 5 (numerically
// 4.8, next to the Nyquist edge), so |output| <= 1 + 5 * 400 + 1.5 * 200 = TrWkFlummel::kOutputBound.
constexpr double kDampingMargin = 0.01;
constexpr Float32 kLeastDamping = 0.01f;

constexpr Float32 kDcBlockerCorner = 126.f;       // the DC blocker's pole is 1 - 126 / rate
constexpr Float32 kShapeToCubic = 0.14814815f;    // 4/27: shape 1 is x - 4/27 x^3, flat at 1.5
constexpr Float32 kAmountToDrive = 1.3636364f;    // 15/11: amount 11 drives by 16
constexpr Float32 kLeastMakeup = 0.125f;

}  // namespace

FlummelBlockConstants FlummelBlockConstants::Compute(TrWkFlummel& fx, FlummelSettingTerms& terms, Float32 sr,
                                                     Float32 lfoPhase)
{
    FlummelBlockConstants k;
    k.R = 1.f + (1.f / sr) * -kDcBlockerCorner;
    k.fb = fx.UsableParameter(kParam_Feedback) * 0.01f;
    const Float32 dry = fx.UsableParameter(kParam_DryLevel);
    const Float32 wet = fx.UsableParameter(kParam_EffectLevel);
    k.dry = dry * dry * dry;
    k.wet = wet * wet * wet;

    const Float32 s = fx.UsableParameter(kParam_SaturationShape);
    k.c3 = s * kShapeToCubic;
    k.L = 1.5f - 0.5f * s;
    k.g = 1.f + fx.UsableParameter(kParam_SaturationAmount) * kAmountToDrive;
    k.m = std::max(1.f / k.g, kLeastMakeup);

    const Float32 fc = fx.UsableParameter(kParam_FilterCutoff);
    if (fc != terms.cutoff) terms.cutoff = fc, terms.cutoffOctaves = std::log2(1.0 + 0.016 * double(fc));
    const Float32 amount = fx.UsableParameter(kParam_FilterLfoAmount);
    const Float32 lfo = std::cos(lfoPhase);
    Float32 fm = Float32(62.5 * std::exp2(terms.cutoffOctaves + double(amount * lfo)) - 62.5);
    if (!(fm >= 0.f)) fm = 0.f;
    const double w = std::min(double(fm) * M_PI / double(sr), M_PI / 4);
    k.f = Float32(2.0 * std::sin(w));
    const Float32 qMax = Float32(std::min(2.0 / double(k.f) - double(k.f) / 2.0 - kDampingMargin, 2.0));
    const Float32 resonance = fx.UsableParameter(kParam_FilterQ);
    if (resonance != terms.resonance)
        terms.resonance = resonance, terms.damping = Float32(2.0 * (1.0 - std::pow(double(resonance), 0.25)));
    k.q = terms.damping;
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
