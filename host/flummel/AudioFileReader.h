// An audio file read through libsndfile in chunks, handed out de-interleaved in blocks of any size.
#pragma once

#include <sndfile.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

class AudioFileReader {
public:
    // Opens any file libsndfile reads; throws CliError naming `path` and the problem.
    explicit AudioFileReader(const std::string& path);

    double SampleRate() const { return double(mInfo.samplerate); }
    size_t Channels() const { return size_t(mInfo.channels); }
    size_t Frames() const { return size_t(std::max<sf_count_t>(mInfo.frames, 0)); }

    // Reads up to `frames` frames into one buffer per channel and returns how many it read; 0
    // at the end or after a failure. Never throws, so it may run inside a render callback.
    size_t Read(float* const* channels, size_t frames);

    // Throws CliError if a read failed.
    void ThrowIfFailed() const;

private:
    struct Closer {
        void operator()(SNDFILE* f) const { sf_close(f); }
    };

    std::string mPath;
    SF_INFO mInfo{};
    std::unique_ptr<SNDFILE, Closer> mFile;
    std::vector<float> mChunk;  // interleaved frames read ahead
    size_t mNext = 0, mHeld = 0;  // the next frame of mChunk to hand out, and how many it holds
    bool mFailed = false;
};
