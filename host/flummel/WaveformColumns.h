// The minimum and maximum of each column of a waveform picture, gathered as the samples stream
// past. Column x of `width` over `frames` spans samples x*frames/width up to (x+1)*frames/width,
// at least one, and none past `available`, the signal's own length.
#pragma once

#include <cstddef>
#include <vector>

class WaveformColumns {
public:
    struct Span {
        float lo = 0, hi = 0;
        bool drawn = false;  // false: the column holds no samples
    };

    WaveformColumns(int width, size_t frames, size_t available);

    // The next `count` samples of the signal.
    void Add(const float* samples, size_t count);

    const Span& Column(int x) const { return mColumns[size_t(x)]; }
    int Width() const { return mWidth; }

private:
    size_t Begin(int x) const;
    size_t End(int x) const;

    int mWidth;
    size_t mFrames, mAvailable;
    size_t mPosition = 0;
    int mFirstOpen = 0;  // columns before it have all their samples
    std::vector<Span> mColumns;
};
