// What the delay kernel holds fixed through one render call, worked out from the parameters,
// the sample rate and the LFO phase.
#pragma once

#include <limits>

#include "platform/cf/MacTypes.h"

class TrWkFlummel;

// The filter states are clamped to this between render calls; fixed settings never reach it.
constexpr Float32 kFilterStateLimit = 400.f;

// Terms that need a library call and follow from one setting alone, kept while it stays put.
struct FlummelSettingTerms {
    Float32 cutoff = std::numeric_limits<Float32>::quiet_NaN();  // Filter Cutoff they hold for
    double cutoffOctaves = 0.0;                                    // log2(1 + 0.016 cutoff)
    Float32 resonance = std::numeric_limits<Float32>::quiet_NaN(); // Filter Q they hold for
    Float32 damping = 0.f;                                         // 2 (1 - Q^0.25), before its limits
};

struct FlummelBlockConstants {
    Float32 R;                           // DC blocker pole
    Float32 fb, dry, wet;                // feedback and the cubed levels
    Float32 c3, L, g, m;                 // clip curve: cubic coefficient, clip level, drive, makeup
    Float32 f, q;                        // filter frequency and damping
    Float32 thru, low, band, high;       // filter morph weights

    static FlummelBlockConstants Compute(TrWkFlummel& fx, FlummelSettingTerms& terms, Float32 sampleRate,
                                         Float32 lfoPhase);
};
