// What the delay kernel holds fixed through one render call, worked out from the parameters,
// the sample rate and the LFO phase.
#pragma once

#include "platform/cf/MacTypes.h"

class TrWkFlummel;

// The filter states are clamped to this between render calls; fixed settings never reach it.
constexpr Float32 kFilterStateLimit = 400.f;

struct FlummelBlockConstants {
    Float32 R;                           // DC blocker pole
    Float32 fb, dry, wet;                // feedback and the cubed levels
    Float32 c3, L, g, m;                 // clip curve: cubic coefficient, clip level, drive, makeup
    Float32 f, q;                        // filter frequency and damping
    Float32 thru, low, band, high;       // filter morph weights

    static FlummelBlockConstants Compute(TrWkFlummel& fx, Float32 sampleRate, Float32 lfoPhase);
};
