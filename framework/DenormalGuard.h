// Sets flush-to-zero and denormals-are-zero for its lifetime and restores the previous
// floating-point control state on every exit. Empty on processors without the mode.
#pragma once

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>

class DenormalGuard {
public:
    static constexpr unsigned kFlushToZeroBits = 0x8040;  // FTZ | DAZ
    DenormalGuard() : mSaved(_mm_getcsr()) { _mm_setcsr(mSaved | kFlushToZeroBits); }
    ~DenormalGuard() { _mm_setcsr(mSaved); }
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
    unsigned mSaved;
};
#else
class DenormalGuard {
public:
    DenormalGuard() = default;
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;
};
#endif
