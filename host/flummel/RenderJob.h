// `flummel render`: the effect hosted through its component entry and host calls, fed from a
// file or the built-in demo, rendered in blocks, written out.
#pragma once

#include "host/flummel/RenderOptions.h"

// Throws CliError; on failure no output, plot or preset file is left behind.
void RunRender(const RenderOptions& options);
