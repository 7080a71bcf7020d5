// `flummel edit`: the effect and its editor hosted through their component entries, the input
// (or the built-in demo) playing through the effect in a loop in real time until the window is
// closed, a signal comes or a screenshot has been taken.
#pragma once

#include "host/flummel/EditOptions.h"

// Throws CliError. A signal ends the session like closing the window; the caller re-raises it.
void RunEdit(const EditOptions& options);
