#include "host/flummel/RenderPlot.h"

#include <algorithm>
#include <vector>

#include "host/flummel/AudioFileReader.h"
#include "host/flummel/Interruption.h"
#include "host/flummel/RenderInput.h"
#include "host/flummel/WaveformPlot.h"

namespace {

constexpr size_t kBlock = 4096;

struct Planar {
    explicit Planar(size_t channels) : samples(channels * kBlock)
    {
        for (size_t c = 0; c < channels; ++c) pointers.push_back(samples.data() + c * kBlock);
    }
    std::vector<float> samples;
    std::vector<float*> pointers;
};

}  // namespace

void WriteRenderPlot(const std::string& inputPath, const std::string& samplesPath, size_t outputFrames,
                     const std::string& path, const std::string& shownPath)
{
    RenderInput input(inputPath);
    AudioFileReader output(samplesPath);
    const size_t channels = input.Channels();
    WaveformPlot plot(input.SampleRate(), channels, input.Frames(), outputFrames);
    Planar block(channels);
    for (size_t done = 0; done < input.Frames(); done += kBlock) {
        Interruption::ThrowIfPending();
        const size_t n = std::min(kBlock, input.Frames() - done);
        input.Read(block.pointers.data(), channels, n);
        plot.AddInput(block.pointers.data(), n);
    }
    input.ThrowIfFailed();
    for (size_t done = 0; done < outputFrames; done += kBlock) {
        Interruption::ThrowIfPending();
        const size_t n = output.Read(block.pointers.data(), std::min(kBlock, outputFrames - done));
        if (n == 0) break;
        plot.AddOutput(block.pointers.data(), n);
    }
    output.ThrowIfFailed();
    plot.Write(path, shownPath);
}
