#include "host/flummel/EditJob.h"

#include <cstdio>
#include <memory>
#include <optional>

#include "engine/TrWkFlummelEntry.h"
#include "host/AUHost.h"
#include "host/flummel/CliError.h"
#include "host/flummel/DemoSignal.h"
#include "host/flummel/EditorWindow.h"
#include "host/flummel/EffectState.h"
#include "host/flummel/Interruption.h"
#include "host/flummel/JackOutput.h"
#include "host/flummel/LoopPlayer.h"
#include "host/flummel/PacedOutput.h"
#include "host/flummel/PlayableSignal.h"
#include "host/flummel/PngFile.h"
#include "host/flummel/TemporaryFile.h"
#include "host/flummel/WindowCapture.h"
#include "platform/desktop/Events.h"
#include "platform/desktop/Windows.h"

namespace {

constexpr EventTimerInterval kWatchInterval = 0.02;  // seconds between looks at signals and the clock

void Check(OSStatus err, const char* what)
{
    if (err != noErr) throw CliError::Effect(what, err);
}

// JACK when a server runs, else a paced thread without sound; says which once.
std::unique_ptr<AudioOutput> OpenOutput(const AudioSignal& input, const std::string& name)
{
    const unsigned channels = unsigned(input.channels.size());
    if (std::unique_ptr<JackOutput> jack = JackOutput::Open("flummel", channels)) {
        if (jack->SampleRate() != input.sampleRate)
            std::fprintf(stderr, "flummel: %s is at %g Hz and JACK runs at %g Hz: playing at %g Hz without resampling\n",
                         name.c_str(), input.sampleRate, jack->SampleRate(), jack->SampleRate());
        return jack;
    }
    std::fprintf(stderr, "flummel: no JACK server running: playing in real time without sound\n");
    return std::make_unique<PacedOutput>(input.sampleRate, channels);
}

// The editor covers its whole pane with every frame; until its first frame at the window's
// final size, the window system's light grey (0xdc) still shows at one corner or another.
bool Covered(const std::vector<unsigned char>& rgb, int width, int height)
{
    constexpr unsigned char kUnpainted = 0xdc;
    for (auto [x, y] : {std::pair{0, 0}, {width - 1, 0}, {0, height - 1}, {width - 1, height - 1}}) {
        const unsigned char* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
        if (p[0] == kUnpainted && p[1] == kUnpainted && p[2] == kUnpainted) return false;
    }
    return true;
}

// Ends the event loop on a signal, a lost output, or once the screenshot is taken: `after`
// seconds after the window is on screen, or later if the editor has not covered it by then.
struct Watch {
    static constexpr double kDrawPatience = 10;  // seconds to wait past `after` for a first frame
    static constexpr double kRedrawWait = 0.1;   // seconds in the open before the picture is taken

    Watch(const EditorWindow& window, const AudioOutput& output, const WindowCapture& capture,
          std::optional<double> after)
        : window(window), output(output), capture(capture), after(after)
    {
    }

    const EditorWindow& window;
    const AudioOutput& output;
    const WindowCapture& capture;
    std::optional<double> after;
    EventTime shownAt = -1;
    EventTime clearSince = -1;  // when the window was last seen with nothing over it
    std::vector<unsigned char> shot;
    int width = 0, height = 0;
    std::optional<CliError> failure;  // a screenshot that failed; thrown once the loop has ended

    static void Tick(EventLoopTimerRef, void* p)
    {
        auto* w = static_cast<Watch*>(p);
        if (Interruption::Pending() || w->output.Lost()) return QuitApplicationEventLoop();
        if (!w->after || !w->window.Shown()) return;
        const EventTime now = GetCurrentEventTime();
        if (w->shownAt < 0) w->shownAt = now;
        if (now - w->shownAt < *w->after) return;
        const bool late = now - w->shownAt > *w->after + kDrawPatience;
        // Windows of other programs may cover ours: raise it, and let the editor redraw what was hidden.
        if (w->capture.Obscured(w->window.XID())) {
            w->capture.Raise(w->window.XID());
            w->clearSince = -1;
            if (!late) return;
        } else if (w->clearSince < 0) {
            w->clearSince = now;
        }
        if (!late && now - w->clearSince < kRedrawWait) return;
        SyncWindowServer();
        try {
            w->shot = w->capture.Capture(w->window.XID(), w->width, w->height);
        } catch (const CliError& e) {
            w->failure = e;  // not through the event loop
            return QuitApplicationEventLoop();
        }
        if (Covered(w->shot, w->width, w->height) || late) QuitApplicationEventLoop();
    }
};

}  // namespace

void RunEdit(const EditOptions& o)
{
    std::optional<TemporaryFile> presetFile, shotFile;
    if (!o.savePreset.empty()) presetFile.emplace(o.savePreset);
    if (!o.screenshot.empty()) shotFile.emplace(o.screenshot);
    const AudioSignal input = o.input.empty() ? DemoSignal() : ReadAudioFile(o.input);
    const std::string name = o.input.empty() ? "the demo" : o.input;
    CheckPlayableSignal(input, o.input);
    const WindowCapture capture;  // also tells early that there is no display

    RegisterTrWkFlummel();
    std::unique_ptr<AUHost> host;
    Check(AUHost::Open(TrWkFlummelDescription(), host), "opening the effect");
    ApplyEffectOptions(*host, o);  // bad settings are refused before anything starts
    LoopPlayer player(*host, input);
    // Declared after the player, so that leaving by an exception stops the output before the
    // player goes.
    std::unique_ptr<AudioOutput> output = OpenOutput(input, name);
    Check(host->SetFormat(output->SampleRate(), UInt32(input.channels.size())), "setting the stream format");
    Check(host->SetMaxFramesPerSlice(LoopPlayer::kMaxBlock), "setting the maximum frames per slice");
    Check(host->SetTempo(o.tempo), "installing the host callbacks");
    Check(host->Initialize(), "initialising the effect");

    EditorWindow window(host->Unit());
    capture.MarkWithProcess(window.XID());
    Watch watch(window, *output, capture, o.screenshot.empty() ? std::nullopt : std::optional<double>(o.after));
    EventLoopTimerRef timer = nullptr;
    InstallEventLoopTimer(GetMainEventLoop(), kWatchInterval, kWatchInterval, Watch::Tick, &watch, &timer);
    output->Start(player);
    RunApplicationEventLoop();
    RemoveEventLoopTimer(timer);

    output->Stop();
    if (player.Failures() > 0)
        std::fprintf(stderr, "flummel: %u render calls failed and played silence\n", player.Failures());
    if (presetFile) {
        WritePreset(SaveState(host->Unit()), presetFile->Path(), o.savePreset);
        presetFile->Commit();
    }
    if (output->Lost()) throw CliError("the JACK server went away", CliError::kEffect);
    if (watch.failure) throw *watch.failure;
    if (shotFile && !watch.shot.empty() && !Interruption::Pending() && !window.Closed()) {
        if (!Covered(watch.shot, watch.width, watch.height))
            std::fprintf(stderr, "flummel: the editor had not drawn all of its window by the screenshot\n");
        WritePng(shotFile->Path(), watch.width, watch.height, watch.shot.data(), o.screenshot);
        shotFile->Commit();
    }
}
