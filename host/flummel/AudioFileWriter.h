// An audio file written through libsndfile from planar blocks of any size, in chunks.
#pragma once

#include <sndfile.h>

#include <memory>
#include <string>
#include <vector>

class AudioFileWriter {
public:
    // Creates `path` in `format` (see OutputFormatFor); errors name `shownPath`, the file the user
    // knows `path` by (the same, or the destination of a temporary file). Throws CliError.
    AudioFileWriter(const std::string& path, int format, double sampleRate, size_t channels,
                    const std::string& shownPath);

    // Appends `frames` frames, one buffer per channel; throws CliError.
    void Write(const float* const* channels, size_t frames);

    // Finishes the file (its header and length); throws CliError.
    void Finish();

private:
    void Flush();

    struct Closer {
        void operator()(SNDFILE* f) const { sf_close(f); }
    };

    std::string mShownPath;
    size_t mChannels;
    size_t mChunkFrames;
    std::unique_ptr<SNDFILE, Closer> mFile;
    std::vector<float> mChunk;  // interleaved frames not yet written
    size_t mHeld = 0;
};
