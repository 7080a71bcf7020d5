// Hands the GL driver suppressions to ThreadSanitizer in this test program (unused otherwise).
#include "tests/desktop/GLDriverSuppressions.h"

extern "C" const char* __tsan_default_suppressions() { return GLDriverRaceSuppressions(); }
