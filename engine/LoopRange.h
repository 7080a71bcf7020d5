// The range of a run of loop samples, for the sample overview.
#pragma once

#include "platform/cf/MacTypes.h"

// Narrows [lo, hi] to the samples' range, as comparing them one by one in order would: the
// first of equal values wins, so +0 and -0 keep their order. NaN samples are passed over.
void LoopRange(const Float32* s, SInt32 count, Float32& lo, Float32& hi);
