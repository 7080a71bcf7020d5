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

// Draws the minimum-to-maximum span of each column.
void DrawWave(Picture& pic, const WaveformColumns& columns, int top, Rgb colour, float alpha)
{
    const double half = (kPlotLaneHeight - 2) / 2.0, mid = top + kPlotLaneHeight / 2.0;
    for (int x = 0; x < std::min(pic.Width(), columns.Width()); ++x) {
        const WaveformColumns::Span& s = columns.Column(x);
        if (!s.drawn) break;
        const float lo = std::clamp(s.lo, -1.f, 1.f), hi = std::clamp(s.hi, -1.f, 1.f);
        const int y0 = int(std::floor(mid - hi * half)), y1 = int(std::ceil(mid - lo * half));
        pic.Blend(x, y0, x + 1, std::max(y1, y0 + 1), colour, alpha);
    }
}

}  // namespace

WaveformPlot::WaveformPlot(double sampleRate, size_t channels, size_t inputFrames, size_t outputFrames)
    : mSampleRate(sampleRate), mFrames(std::max<size_t>(1, std::max(outputFrames, inputFrames)))
{
    for (size_t c = 0; c < channels; ++c) {
        mInput.emplace_back(kPlotWidth, mFrames, inputFrames);
        mOutput.emplace_back(kPlotWidth, mFrames, outputFrames);
    }
}

void WaveformPlot::AddInput(const float* const* channels, size_t frames)
{
    for (size_t c = 0; c < mInput.size(); ++c) mInput[c].Add(channels[c], frames);
}

void WaveformPlot::AddOutput(const float* const* channels, size_t frames)
{
    for (size_t c = 0; c < mOutput.size(); ++c) mOutput[c].Add(channels[c], frames);
}

void WaveformPlot::Write(const std::string& path, const std::string& shownPath) const
{
    const int lanes = int(std::max<size_t>(1, mOutput.size()));
    Picture pic(kPlotWidth, kGap + lanes * (kPlotLaneHeight + kGap));
    for (int lane = 0; lane < lanes; ++lane) {
        const int top = kGap + lane * (kPlotLaneHeight + kGap);
        pic.Fill(0, top, kPlotWidth, top + kPlotLaneHeight, kLaneBackground);
        pic.Fill(0, top + kPlotLaneHeight / 2, kPlotWidth, top + kPlotLaneHeight / 2 + 1, kAxis);
        for (size_t second = 1; double(second) * mSampleRate < double(mFrames); ++second) {
            const int x = int(double(second) * mSampleRate * kPlotWidth / double(mFrames));
            pic.Fill(x, top, x + 1, top + kPlotLaneHeight, kAxis);
        }
        if (size_t(lane) < mOutput.size()) DrawWave(pic, mOutput[size_t(lane)], top, kOutput, 1.f);
        if (size_t(lane) < mInput.size()) DrawWave(pic, mInput[size_t(lane)], top, kInput, 0.45f);
    }

    WritePng(path, pic.Width(), pic.Height(), pic.Row(0), shownPath);
}
