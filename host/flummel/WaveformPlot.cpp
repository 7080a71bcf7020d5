#include "host/flummel/WaveformPlot.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "host/flummel/PngFile.h"

namespace {

struct Rgb {
    unsigned char r, g, b;
};

constexpr Rgb kBackground{24, 26, 31};
constexpr Rgb kLaneBackground{32, 35, 42};
constexpr Rgb kAxis{70, 74, 84};
constexpr Rgb kInput{225, 232, 245};  // drawn see-through over the output
constexpr Rgb kOutput{255, 150, 40};
constexpr int kGap = 6;

class Picture {
public:
    Picture(int width, int height) : mWidth(width), mHeight(height), mPixels(size_t(width) * size_t(height) * 3)
    {
        Fill(0, 0, width, height, kBackground);
    }
    void Fill(int x0, int y0, int x1, int y1, Rgb c)
    {
        for (int y = std::max(y0, 0); y < std::min(y1, mHeight); ++y)
            for (int x = std::max(x0, 0); x < std::min(x1, mWidth); ++x) Set(x, y, c);
    }
    void Blend(int x0, int y0, int x1, int y1, Rgb c, float alpha)
    {
        for (int y = std::max(y0, 0); y < std::min(y1, mHeight); ++y)
            for (int x = std::max(x0, 0); x < std::min(x1, mWidth); ++x) {
                unsigned char* p = &mPixels[(size_t(y) * size_t(mWidth) + size_t(x)) * 3];
                p[0] = (unsigned char)(p[0] + alpha * (c.r - p[0]));
                p[1] = (unsigned char)(p[1] + alpha * (c.g - p[1]));
                p[2] = (unsigned char)(p[2] + alpha * (c.b - p[2]));
            }
    }
    void Set(int x, int y, Rgb c)
    {
        unsigned char* p = &mPixels[(size_t(y) * size_t(mWidth) + size_t(x)) * 3];
        p[0] = c.r, p[1] = c.g, p[2] = c.b;
    }
    const unsigned char* Row(int y) const { return &mPixels[size_t(y) * size_t(mWidth) * 3]; }
    int Width() const { return mWidth; }
    int Height() const { return mHeight; }

private:
    int mWidth, mHeight;
    std::vector<unsigned char> mPixels;
};

// Draws the minimum-to-maximum span of each column's samples; `frames` is the length that spans
// the full width.
void DrawWave(Picture& pic, const std::vector<float>& samples, size_t frames, int top, Rgb colour, float alpha)
{
    const double half = (kPlotLaneHeight - 2) / 2.0, mid = top + kPlotLaneHeight / 2.0;
    for (int x = 0; x < pic.Width(); ++x) {
        const size_t begin = size_t(double(x) * double(frames) / pic.Width());
        const size_t end = std::min(samples.size(), std::max(begin + 1, size_t(double(x + 1) * double(frames) / pic.Width())));
        if (begin >= samples.size()) break;
        float lo = samples[begin], hi = lo;
        for (size_t i = begin; i < end; ++i) lo = std::min(lo, samples[i]), hi = std::max(hi, samples[i]);
        lo = std::clamp(lo, -1.f, 1.f), hi = std::clamp(hi, -1.f, 1.f);
        const int y0 = int(std::floor(mid - hi * half)), y1 = int(std::ceil(mid - lo * half));
        pic.Blend(x, y0, x + 1, std::max(y1, y0 + 1), colour, alpha);
    }
}

}  // namespace

void WriteWaveformPlot(const std::string& path, const AudioSignal& input, const AudioSignal& output,
                       const std::string& shownPath)
{
    const int lanes = int(std::max<size_t>(1, output.channels.size()));
    Picture pic(kPlotWidth, kGap + lanes * (kPlotLaneHeight + kGap));
    const size_t frames = std::max<size_t>(1, std::max(output.Frames(), input.Frames()));
    for (int lane = 0; lane < lanes; ++lane) {
        const int top = kGap + lane * (kPlotLaneHeight + kGap);
        pic.Fill(0, top, kPlotWidth, top + kPlotLaneHeight, kLaneBackground);
        pic.Fill(0, top + kPlotLaneHeight / 2, kPlotWidth, top + kPlotLaneHeight / 2 + 1, kAxis);
        for (size_t second = 1; double(second) * output.sampleRate < double(frames); ++second) {
            const int x = int(double(second) * output.sampleRate * kPlotWidth / double(frames));
            pic.Fill(x, top, x + 1, top + kPlotLaneHeight, kAxis);
        }
        if (size_t(lane) < output.channels.size())
            DrawWave(pic, output.channels[size_t(lane)], frames, top, kOutput, 1.f);
        if (size_t(lane) < input.channels.size())
            DrawWave(pic, input.channels[size_t(lane)], frames, top, kInput, 0.45f);
    }

    WritePng(path, pic.Width(), pic.Height(), pic.Row(0), shownPath);
}
