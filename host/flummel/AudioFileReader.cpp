#include "host/flummel/AudioFileReader.h"

#include "host/flummel/CliError.h"

namespace {

constexpr size_t kChunkFrames = 16384;

}  // namespace

AudioFileReader::AudioFileReader(const std::string& path) : mPath(path)
{
    mFile.reset(sf_open(path.c_str(), SFM_READ, &mInfo));
    if (!mFile) throw CliError("cannot read " + path + ": " + sf_strerror(nullptr));
    if (mInfo.channels < 1 || mInfo.samplerate < 1) throw CliError("cannot read " + path + ": no audio in it");
    mChunk.resize(kChunkFrames * Channels());
}

size_t AudioFileReader::Read(float* const* channels, size_t frames)
{
    const size_t count = Channels();
    size_t done = 0;
    while (done < frames) {
        if (mNext == mHeld) {
            const sf_count_t got = mFailed ? 0 : sf_readf_float(mFile.get(), mChunk.data(), sf_count_t(kChunkFrames));
            if (got <= 0) {
                mFailed = mFailed || sf_error(mFile.get()) != SF_ERR_NO_ERROR;
                break;
            }
            mNext = 0, mHeld = size_t(got);
        }
        const size_t n = std::min(frames - done, mHeld - mNext);
        const float* in = mChunk.data() + mNext * count;
        for (size_t i = 0; i < n; ++i, in += count)
            for (size_t c = 0; c < count; ++c) channels[c][done + i] = in[c];
        mNext += n;
        done += n;
    }
    return done;
}

void AudioFileReader::ThrowIfFailed() const
{
    if (mFailed) throw CliError("cannot read " + mPath + ": " + sf_strerror(mFile.get()));
}
