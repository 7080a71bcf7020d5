// ThreadSanitizer reports to leave out: races inside Mesa's software rasteriser, whose worker
// threads run uninstrumented code (their locks are invisible to the sanitizer).
#pragma once

inline const char* GLDriverRaceSuppressions()
{
    return "race:swrast_dri.so\n"
           "race:libgallium\n"
           "race:libLLVM\n";
}
