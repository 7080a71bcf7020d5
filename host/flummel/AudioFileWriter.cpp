#include "host/flummel/AudioFileWriter.h"

#include <algorithm>

#include "host/flummel/CliError.h"

namespace {

// Codecs get the same calls whatever the block size, since their output can depend on them; raw
// float samples go in larger writes.
constexpr size_t kCodecChunkFrames = 4096, kFloatChunkFrames = 16384;

}  // namespace

AudioFileWriter::AudioFileWriter(const std::string& path, int format, double sampleRate, size_t channels,
                                 const std::string& shownPath)
    : mShownPath(shownPath),
      mChannels(channels),
      mChunkFrames((format & SF_FORMAT_SUBMASK) == SF_FORMAT_FLOAT ? kFloatChunkFrames : kCodecChunkFrames),
      mChunk(mChunkFrames * channels)
{
    SF_INFO info{};
    info.samplerate = int(sampleRate + 0.5);
    info.channels = int(channels);
    info.format = format;
    mFile.reset(sf_open(path.c_str(), SFM_WRITE, &info));
    if (!mFile) throw CliError("cannot write " + shownPath + ": " + sf_strerror(nullptr));
    if ((format & SF_FORMAT_SUBMASK) != SF_FORMAT_FLOAT) sf_command(mFile.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

void AudioFileWriter::Write(const float* const* channels, size_t frames)
{
    for (size_t done = 0; done < frames;) {
        const size_t n = std::min(mChunkFrames - mHeld, frames - done);
        float* out = mChunk.data() + mHeld * mChannels;
        for (size_t i = 0; i < n; ++i, out += mChannels)
            for (size_t c = 0; c < mChannels; ++c) out[c] = channels[c][done + i];
        mHeld += n;
        done += n;
        if (mHeld == mChunkFrames) Flush();
    }
}

void AudioFileWriter::Flush()
{
    if (mHeld && sf_writef_float(mFile.get(), mChunk.data(), sf_count_t(mHeld)) != sf_count_t(mHeld))
        throw CliError("cannot write " + mShownPath + ": " + sf_strerror(mFile.get()));
    mHeld = 0;
}

void AudioFileWriter::Finish()
{
    Flush();
    if (sf_close(mFile.release()) != 0) throw CliError("cannot write " + mShownPath + ": the file could not be finished");
}
