// What the processor offers beyond the x86-64 baseline, asked once when the library loads.
#pragma once

#if defined(__x86_64__)
#define FLUMMEL_TARGET_AVX [[gnu::target("avx")]]
// True where three-operand (VEX) encoding may be used. The kernels' AVX builds run the same
// operations without FMA, so their results are the same to the bit.
inline const bool kProcessorHasAvx = (__builtin_cpu_init(), __builtin_cpu_supports("avx"));
#else
#define FLUMMEL_TARGET_AVX
inline const bool kProcessorHasAvx = false;
#endif
