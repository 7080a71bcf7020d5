// What `flummel render` feeds the effect: a file read a block at a time, or the built-in demo
// (short, so held whole). Past its end it reads as silence.
#pragma once

#include <optional>
#include <string>

#include "host/flummel/AudioFile.h"
#include "host/flummel/AudioFileReader.h"

class RenderInput {
public:
    // `path` empty: the demo. Throws CliError when the file cannot be read.
    explicit RenderInput(const std::string& path);

    double SampleRate() const;
    size_t Channels() const;
    size_t Frames() const;

    // Fills `count` planar buffers with the next `frames` frames. Never throws, so it may run
    // inside a render callback: a failed read gives silence and is reported by ThrowIfFailed.
    void Read(float* const* channels, size_t count, size_t frames);
    void ThrowIfFailed() const;

private:
    std::optional<AudioFileReader> mFile;
    AudioSignal mDemo;
    size_t mPosition = 0;
};
