// ThreadSanitizer reports to leave out: races inside Mesa's software rasteriser, whose worker
// threads run uninstrumented code (their locks are invisible to the sanitizer).
#pragma once

// A constant, not a function: the sanitizer reads it before it can run instrumented code.
inline constexpr char kGLDriverRaceSuppressions[] =
    "race:swrast_dri.so\n"
    "race:libgallium\n"
    "race:libLLVM\n";
