// A PNG picture of the input and output waveforms: one lane per channel, the output in orange
// with the input see-through over it, a tick every second across the output's length.
#pragma once

#include <string>

#include "host/flummel/AudioFile.h"

constexpr int kPlotWidth = 1200;
constexpr int kPlotLaneHeight = 180;

// Writes to `path`; throws CliError naming `shownPath`, the file the user knows `path` by.
void WriteWaveformPlot(const std::string& path, const AudioSignal& input, const AudioSignal& output,
                       const std::string& shownPath);
