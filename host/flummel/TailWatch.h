// Watches a render's output past the end of its input and says where it has rung out: the
// point at which every channel has stayed below -90 dBFS for one loop length.
#pragma once

#include <cstddef>

class TailWatch {
public:
    TailWatch(size_t inputFrames, size_t loopFrames, size_t channels);

    // Looks at the block of `frames` frames starting at `position` and returns how many of them
    // to keep: all of them, or up to and including the frame where the output rang out.
    size_t Scan(const float* const* channels, size_t frames, size_t position);

    bool RangOut() const { return mRangOut; }

private:
    size_t mInputFrames, mLoopFrames, mChannels;
    size_t mQuiet = 0;
    bool mRangOut = false;
};
