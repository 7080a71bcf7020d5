#include "host/flummel/RenderJob.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "engine/FlummelParameters.h"
#include "engine/FlummelShared.h"
#include "engine/TempoSync.h"
#include "engine/TrWkFlummelEntry.h"
#include "host/AUHost.h"
#include "host/flummel/AudioFile.h"
#include "host/flummel/AudioFileWriter.h"
#include "host/flummel/CliError.h"
#include "host/flummel/EffectState.h"
#include "host/flummel/Interruption.h"
#include "host/flummel/PlayableSignal.h"
#include "host/flummel/ProgressBar.h"
#include "host/flummel/RenderInput.h"
#include "host/flummel/RenderPlot.h"
#include "host/flummel/TailWatch.h"
#include "host/flummel/TemporaryFile.h"

namespace {

constexpr double kMaxAutoTail = 60.0;  // seconds

void Check(OSStatus err, const char* what)
{
    if (err != noErr) throw CliError::Effect(what, err);
}

// The loop length the parameters and tempo give, in seconds.
double LoopSeconds(AUHost& host, std::optional<double> tempo)
{
    auto get = [&](AudioUnitParameterID id) {
        AudioUnitParameterValue v = 0;
        host.GetParameter(id, v);
        return double(v);
    };
    double seconds = get(kParam_DelayTime);
    const double usable = tempo ? TempoSync::UsableTempo(*tempo) : 0.0;
    if (get(kParam_HostTempo) != 0 && usable > 0)
        seconds = TempoSync::NoteSeconds(get(kParam_Beats), get(kParam_BeatDivisor), get(kParam_Triplet) != 0, usable);
    return std::clamp(seconds, 0.0, double(TW::kMaxDelayTime));
}

// The effect opened, set up for the input and the options, and initialised; `state` gets its
// state before initialisation when a preset is to be saved.
std::unique_ptr<AUHost> OpenEffect(const RenderOptions& o, const RenderInput& input, CFRef<CFPropertyListRef>& state)
{
    RegisterTrWkFlummel();
    std::unique_ptr<AUHost> host;
    Check(AUHost::Open(TrWkFlummelDescription(), host), "opening the effect");
    Check(host->SetFormat(input.SampleRate(), UInt32(input.Channels())), "setting the stream format");
    Check(host->SetMaxFramesPerSlice(RenderOptions::kMaxBlock), "setting the maximum frames per slice");
    Check(host->SetTempo(o.tempo), "installing the host callbacks");
    ApplyEffectOptions(*host, o);
    if (!o.savePreset.empty()) state = SaveState(host->Unit());
    Check(host->Initialize(), "initialising the effect");
    return host;
}

// Where the rendered blocks go: the output file, a float copy for the plot when the output
// file cannot serve as one, and the running peak.
struct RenderSink {
    AudioFileWriter& output;
    AudioFileWriter* plotSamples;
    float peak = 0;

    void Write(const float* const* channels, size_t count, size_t frames)
    {
        output.Write(channels, frames);
        if (plotSamples) plotSamples->Write(channels, frames);
        for (size_t c = 0; c < count; ++c) peak = std::max(peak, Peak(channels[c], frames));
    }

    // The largest magnitude; NaNs pass unnoticed. Four running maxima keep the loop from waiting
    // on itself.
    static float Peak(const float* samples, size_t frames)
    {
        float m[4] = {0, 0, 0, 0};
        size_t i = 0;
        for (; i + 4 <= frames; i += 4)
            for (size_t k = 0; k < 4; ++k) m[k] = std::max(m[k], std::fabs(samples[i + k]));
        for (; i < frames; ++i) m[0] = std::max(m[0], std::fabs(samples[i]));
        return std::max(std::max(m[0], m[1]), std::max(m[2], m[3]));
    }
};

// Renders the input and its tail block by block into `sink`; returns the frames written.
size_t RenderBlocks(AUHost& host, const RenderOptions& o, RenderInput& input, RenderSink& sink)
{
    const size_t channels = input.Channels(), inputFrames = input.Frames();
    const double rate = input.SampleRate();
    const size_t loopFrames = std::max<size_t>(1, size_t(LoopSeconds(host, o.tempo) * rate + 0.5));
    const size_t maxFrames = inputFrames + size_t((o.tail ? *o.tail : kMaxAutoTail) * rate + 0.5);
    const double progressSpan = double(o.tail ? maxFrames : std::max(maxFrames, inputFrames + loopFrames));
    Check(host.SetInputSource([&input](float* const* c, UInt32 count, UInt32 frames, Float64) {
        input.Read(c, count, frames);
        return false;
    }),
          "connecting the input");

    std::vector<float> samples(channels * o.block);
    float* out[AUHost::kMaxChannels];
    for (size_t c = 0; c < channels; ++c) out[c] = samples.data() + c * o.block;
    TailWatch tail(inputFrames, loopFrames, channels);
    ProgressBar progress(!o.quiet);
    size_t done = 0;
    while (done < maxFrames) {
        Interruption::ThrowIfPending();
        const UInt32 frames = UInt32(std::min<size_t>(o.block, maxFrames - done));
        Check(host.Render(out, UInt32(channels), frames), "rendering");
        input.ThrowIfFailed();
        const size_t keep = o.tail ? frames : tail.Scan(out, frames, done);
        sink.Write(out, channels, keep);
        done += keep;
        if (tail.RangOut()) break;
        progress.Update(double(done) / progressSpan);
    }
    return done;
}

}  // namespace

void RunRender(const RenderOptions& o)
{
    const int outputFormat = OutputFormatFor(o.output);
    // Everything is written under temporary names and renamed into place only when all is done.
    TemporaryFile outputFile(o.output);
    std::optional<TemporaryFile> plotFile, presetFile, plotSamplesFile;
    if (!o.plot.empty()) plotFile.emplace(o.plot);
    if (!o.savePreset.empty()) presetFile.emplace(o.savePreset);
    RenderInput input(o.input);
    CheckPlayableSignal(input.SampleRate(), input.Channels(), o.input);
    CFRef<CFPropertyListRef> state;
    const std::unique_ptr<AUHost> host = OpenEffect(o, input, state);

    // Messages name the files the user asked for, never their temporary stand-ins.
    AudioFileWriter output(outputFile.Path(), outputFormat, input.SampleRate(), input.Channels(), o.output);
    // The plot is drawn once the length is known, from float samples: the output's own if it is float.
    std::optional<AudioFileWriter> plotSamples;
    if (plotFile && (outputFormat & SF_FORMAT_SUBMASK) != SF_FORMAT_FLOAT) {
        plotSamplesFile.emplace(o.plot + ".samples");
        plotSamples.emplace(plotSamplesFile->Path(), SF_FORMAT_W64 | SF_FORMAT_FLOAT, input.SampleRate(),
                            input.Channels(), o.plot);
    }
    RenderSink sink{output, plotSamples ? &*plotSamples : nullptr};
    const size_t done = RenderBlocks(*host, o, input, sink);

    output.Finish();
    if (plotFile) {
        if (plotSamples) plotSamples->Finish();
        WriteRenderPlot(o.input, plotSamples ? plotSamplesFile->Path() : outputFile.Path(), done, plotFile->Path(),
                        o.plot);
    }
    if (presetFile) WritePreset(state, presetFile->Path(), o.savePreset);
    Interruption::ThrowIfPending();  // a signal during the writes still leaves nothing behind
    outputFile.Commit();
    if (plotFile) plotFile->Commit();
    if (presetFile) presetFile->Commit();
    if (!o.quiet) {
        const size_t channels = input.Channels();
        std::printf("flummel: wrote %s (%.2f s, %g Hz, %zu channel%s, peak %.1f dBFS)\n", o.output.c_str(),
                    double(done) / input.SampleRate(), input.SampleRate(), channels, channels == 1 ? "" : "s",
                    sink.peak > 0 ? 20.0 * std::log10(double(sink.peak)) : -INFINITY);
    }
}
