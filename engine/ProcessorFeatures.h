// What the processor offers beyond the x86-64 baseline, asked once.
#pragma once

#if defined(__x86_64__)
#define FLUMMEL_TARGET_AVX [[gnu::target("avx")]]
#else
#define FLUMMEL_TARGET_AVX
#endif

// True where three-operand (VEX) encoding may be used. The kernels' AVX builds run the same
// operations without FMA, so their results are the same to the bit.
inline bool ProcessorHasAvx()
{
#if defined(__x86_64__)
    static const bool avx = (__builtin_cpu_init(), __builtin_cpu_supports("avx"));
    return avx;
#else
    return false;
#endif
}
