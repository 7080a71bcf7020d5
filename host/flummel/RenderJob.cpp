#include "host/flummel/RenderJob.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/FlummelParameters.h"
#include "engine/FlummelShared.h"
#include "engine/TempoSync.h"
#include "engine/TrWkFlummelEntry.h"
#include "host/AUHost.h"
#include "host/flummel/AudioFile.h"
#include "host/flummel/CliError.h"
#include "host/flummel/DemoSignal.h"
#include "host/flummel/EffectState.h"
#include "host/flummel/Interruption.h"
#include "host/flummel/PlayableSignal.h"
#include "host/flummel/ProgressBar.h"
#include "host/flummel/TemporaryFile.h"
#include "host/flummel/WaveformPlot.h"

namespace {

constexpr double kMaxAutoTail = 60.0;                 // seconds
constexpr float kSilence = 3.1622776e-5f;              // -90 dBFS

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

}  // namespace

void RunRender(const RenderOptions& o)
{
    const int outputFormat = OutputFormatFor(o.output);
    // Everything is written under temporary names and renamed into place only when all is done.
    TemporaryFile outputFile(o.output);
    std::optional<TemporaryFile> plotFile, presetFile;
    if (!o.plot.empty()) plotFile.emplace(o.plot);
    if (!o.savePreset.empty()) presetFile.emplace(o.savePreset);
    const AudioSignal input = o.input.empty() ? DemoSignal() : ReadAudioFile(o.input);
    const std::optional<double> tempo = o.tempo;
    CheckPlayableSignal(input, o.input);
    const UInt32 channels = UInt32(input.channels.size());

    RegisterTrWkFlummel();
    std::unique_ptr<AUHost> host;
    Check(AUHost::Open(TrWkFlummelDescription(), host), "opening the effect");
    Check(host->SetFormat(input.sampleRate, channels), "setting the stream format");
    Check(host->SetMaxFramesPerSlice(RenderOptions::kMaxBlock), "setting the maximum frames per slice");
    Check(host->SetTempo(tempo), "installing the host callbacks");
    ApplyEffectOptions(*host, o);
    CFRef<CFPropertyListRef> state;
    if (!o.savePreset.empty()) state = SaveState(host->Unit());
    Check(host->Initialize(), "initialising the effect");

    const size_t inputFrames = input.Frames();
    const size_t loopFrames = std::max<size_t>(1, size_t(LoopSeconds(*host, tempo) * input.sampleRate + 0.5));
    const size_t maxTail = size_t((o.tail ? *o.tail : kMaxAutoTail) * input.sampleRate + 0.5);
    const size_t maxFrames = inputFrames + maxTail;
    Check(host->SetInputSignal(input.channels), "connecting the input");

    AudioSignal output;
    output.sampleRate = input.sampleRate;
    output.channels.assign(channels, {});
    for (auto& c : output.channels) c.reserve(inputFrames + loopFrames);  // grows with a long tail
    ProgressBar progress(!o.quiet);
    size_t done = 0, quiet = 0;
    float* out[AUHost::kMaxChannels];
    while (done < maxFrames) {
        Interruption::ThrowIfPending();
        const UInt32 frames = UInt32(std::min<size_t>(o.block, maxFrames - done));
        for (UInt32 c = 0; c < channels; ++c) {
            output.channels[c].resize(done + frames);
            out[c] = output.channels[c].data() + done;
        }
        Check(host->Render(out, channels, frames), "rendering");
        if (!o.tail) {  // stop once the tail has stayed silent for a loop length
            size_t i = 0;
            for (; i < frames; ++i) {
                if (done + i < inputFrames) continue;
                bool silent = true;
                for (UInt32 c = 0; c < channels; ++c) silent = silent && std::fabs(out[c][i]) < kSilence;
                quiet = silent ? quiet + 1 : 0;
                if (quiet >= loopFrames) break;
            }
            if (i < frames) {
                done += i + 1;
                break;
            }
        }
        done += frames;
        progress.Update(double(done) / double(o.tail ? maxFrames : std::max(maxFrames, inputFrames + loopFrames)));
    }
    for (auto& c : output.channels) c.resize(done);

    // Messages name the files the user asked for, never their temporary stand-ins.
    WriteAudioFile(outputFile.Path(), outputFormat, output, o.output);
    if (plotFile) WriteWaveformPlot(plotFile->Path(), input, output, o.plot);
    if (presetFile) {
        WritePreset(state, presetFile->Path(), o.savePreset);
    }
    Interruption::ThrowIfPending();  // a signal during the writes still leaves nothing behind
    outputFile.Commit();
    if (plotFile) plotFile->Commit();
    if (presetFile) presetFile->Commit();
    if (!o.quiet) {
        float peak = 0;
        for (const auto& c : output.channels)
            for (float v : c) peak = std::max(peak, std::fabs(v));
        std::printf("flummel: wrote %s (%.2f s, %g Hz, %u channel%s, peak %.1f dBFS)\n", o.output.c_str(),
                    double(done) / input.sampleRate, input.sampleRate, channels, channels == 1 ? "" : "s",
                    peak > 0 ? 20.0 * std::log10(double(peak)) : -INFINITY);
    }
}
