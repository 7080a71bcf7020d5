// Up to four channels of the delay kernel at once, one in each lane of an SSE register. The
// channels share the loop length and the head's sweep; each keeps its own loop and filter, DC
// blocker and input states in its kernel. Every lane does the scalar kernel's operations in the
// same order, so the output is the same to the bit.
#pragma once

#include "engine/TrWkFlummel.h"

class FlummelLanes {
public:
    static constexpr UInt32 kWidth = 4;
    // Loops this long or longer (30 s above 559 kHz) have head positions a float cannot
    // hold exactly; the sample-by-sample kernel takes them.
    static constexpr SInt32 kLoopLengthLimit = 1 << 24;

    // Processes channels kernels[0..count) (count 1..kWidth, heads in step, loop shorter than
    // kLoopLengthLimit) in place on io[c].
    static void Run(const FlummelBlockConstants& k, TrWkFlummel::CFlummelKernel* const* kernels, Float32* const* io,
                    UInt32 count, UInt32 frames);
};
