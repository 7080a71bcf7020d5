// The waveform picture of a finished render, drawn in a second pass once the output's length is
// known: the input read again, the output read back from a float copy of it.
#pragma once

#include <string>

// `inputPath` empty: the demo. `samplesPath` holds the output as float samples, `outputFrames`
// long. Writes to `path`; throws CliError naming `shownPath`, the file the user knows `path` by.
void WriteRenderPlot(const std::string& inputPath, const std::string& samplesPath, size_t outputFrames,
                     const std::string& path, const std::string& shownPath);
