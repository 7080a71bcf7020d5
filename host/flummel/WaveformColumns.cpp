#include "host/flummel/WaveformColumns.h"

#include <algorithm>

WaveformColumns::WaveformColumns(int width, size_t frames, size_t available)
    : mWidth(width), mFrames(frames), mAvailable(available), mColumns(size_t(width))
{
}

size_t WaveformColumns::Begin(int x) const
{
    return size_t(double(x) * double(mFrames) / mWidth);
}

size_t WaveformColumns::End(int x) const
{
    return std::min(mAvailable, std::max(Begin(x) + 1, size_t(double(x + 1) * double(mFrames) / mWidth)));
}

void WaveformColumns::Add(const float* samples, size_t count)
{
    const size_t from = mPosition, to = std::min(mAvailable, std::max(from, mPosition + count));
    mPosition += count;
    for (int x = mFirstOpen; x < mWidth; ++x) {
        const size_t begin = Begin(x), end = End(x);
        if (begin >= to) break;
        if (end <= from) {
            if (x == mFirstOpen) ++mFirstOpen;
            continue;
        }
        Span& s = mColumns[size_t(x)];
        const size_t first = std::max(begin, from), last = std::min(end, to);
        if (!s.drawn) s = {samples[first - from], samples[first - from], true};
        float lo = s.lo, hi = s.hi;
        for (size_t i = first - from; i < last - from; ++i) lo = std::min(lo, samples[i]), hi = std::max(hi, samples[i]);
        s.lo = lo, s.hi = hi;
        if (end <= to && x == mFirstOpen) ++mFirstOpen;
    }
}
