#include "host/flummel/TailWatch.h"

#include <cmath>

namespace {

constexpr float kSilence = 3.1622776e-5f;  // -90 dBFS

}  // namespace

TailWatch::TailWatch(size_t inputFrames, size_t loopFrames, size_t channels)
    : mInputFrames(inputFrames), mLoopFrames(loopFrames), mChannels(channels)
{
}

size_t TailWatch::Scan(const float* const* channels, size_t frames, size_t position)
{
    for (size_t i = 0; i < frames && !mRangOut; ++i) {
        if (position + i < mInputFrames) continue;
        bool silent = true;
        for (size_t c = 0; c < mChannels; ++c) silent = silent && std::fabs(channels[c][i]) < kSilence;
        mQuiet = silent ? mQuiet + 1 : 0;
        if (mQuiet >= mLoopFrames) {
            mRangOut = true;
            return i + 1;
        }
    }
    return frames;
}
