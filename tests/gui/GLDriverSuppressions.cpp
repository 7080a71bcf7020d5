// Hands the GL driver suppressions to ThreadSanitizer in this test program (unused otherwise).
#include "tests/desktop/GLDriverSuppressions.h"

// Called while the sanitizer starts, so it must not be instrumented itself.
extern "C" __attribute__((no_sanitize("thread"))) const char* __tsan_default_suppressions()
{
    return kGLDriverRaceSuppressions;
}
