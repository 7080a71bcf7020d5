// A PNG picture of the input and output waveforms: one lane per channel, the output in orange
// with the input see-through over it, a tick every second across the output's length. The
// signals stream in; only a minimum and maximum per column is kept.
#pragma once

#include <string>
#include <vector>

#include "host/flummel/WaveformColumns.h"

constexpr int kPlotWidth = 1200;
constexpr int kPlotLaneHeight = 180;

class WaveformPlot {
public:
    // Lanes for `channels` channels of an input `inputFrames` long and an output `outputFrames` long.
    WaveformPlot(double sampleRate, size_t channels, size_t inputFrames, size_t outputFrames);

    // The next `frames` frames of each signal, one buffer per channel.
    void AddInput(const float* const* channels, size_t frames);
    void AddOutput(const float* const* channels, size_t frames);

    // Writes to `path`; throws CliError naming `shownPath`, the file the user knows `path` by.
    void Write(const std::string& path, const std::string& shownPath) const;

private:
    double mSampleRate;
    size_t mFrames;  // the length that spans the full width
    std::vector<WaveformColumns> mInput, mOutput;
};
