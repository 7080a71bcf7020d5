// One frame of the toolkit (Update + Draw) for a tree the size of the editor's: 23 knobs,
// 3 buttons and 6 named groups with their titles and the banner, 770 x 315, in a real window.
// Needs an X display (Xvfb and Mesa's software rasteriser will do).
//
//   bench_gui [benchmark flags]
//   bench_gui --constant-redraw=SECONDS   runs the render thread at its own pace instead and
//                                         prints the process's CPU use over that time
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "engine/TrWkFlummelEntry.h"
#include "framework/ComponentEntryPoint.h"
#include "framework/view/AUCarbonViewBase.h"
#include "gui/Button.h"
#include "gui/Font.h"
#include "gui/Knob.h"
#include "gui/Manager.h"
#include "gui/NamedGroup.h"
#include "host/AUHost.h"
#include "platform/desktop/FontLocator.h"

namespace {

constexpr int kWidth = 770, kHeight = 315;

class BenchView : public AUCarbonViewBase {
public:
    explicit BenchView(ComponentInstance ci) : AUCarbonViewBase(ci) {}
    OSStatus CreateUI(Float32, Float32) override
    {
        build(this);
        return noErr;
    }
    static inline std::function<void(BenchView*)> build;
};

// The editor-sized window, its view and its manager.
struct Editor {
    std::unique_ptr<AUHost> host;
    ComponentInstance view = nullptr;
    WindowRef window = nullptr;
    std::unique_ptr<TW::Font> font, labelFont;
    std::unique_ptr<TW::Manager> manager;

    bool Open()
    {
        RegisterTrWkFlummel();
        if (AUHost::Open(TrWkFlummelDescription(), host) != noErr || host->Initialize() != noErr) return false;
        Component c = RegisterComponent(
            ComponentDescription{kAudioUnitCarbonViewComponentType, FourCC("Bnch"), FourCC("TrWk"), 0, 0},
            &ComponentEntryPoint<BenchView>::Dispatch, "bench view");
        if (OpenAComponent(c, &view) != noErr) return false;
        Rect r{60, 60, 60 + kHeight, 60 + kWidth};
        if (CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &r, &window) != noErr) return false;
        font = std::make_unique<TW::Font>(FontLocator::FileFor("/Library/Fonts/GillSans.dfont").c_str(), 14);
        labelFont = std::make_unique<TW::Font>(FontLocator::FileFor("/System/Library/Fonts/Monaco.dfont").c_str(), 9);
        BenchView::build = [this](BenchView* v) {
            manager = std::make_unique<TW::Manager>(v, Rect{0, 0, kHeight, kWidth}, 21, font.get(), labelFont.get());
            Build(*manager);
        };
        ControlRef root = nullptr, pane = nullptr;
        GetRootControl(window, &root);
        const Float32Point location{0, 0}, size{kWidth, kHeight};
        if (AudioUnitCarbonViewCreate(view, host->Unit(), window, root, &location, &size, &pane) != noErr) return false;
        ShowWindow(window);
        RunCurrentEventLoop(0.3);
        return manager != nullptr;
    }

    // Six groups of knobs in two rows; the three buttons share the last group.
    static void Build(TW::Manager& m)
    {
        static const char* const names[6] = {"Delay", "Sync", "Filter", "Saturation", "LFO", "LFO Sync"};
        static const int knobs[6] = {4, 4, 4, 4, 4, 3};
        int param = 0;
        for (int g = 0; g < 6; ++g) {
            auto* group = new TW::NamedGroup(&m, names[g], 8);
            group->offset = {20.0f + 250.0f * float(g % 3), 30.0f + 130.0f * float(g / 3), 0};
            m.root->AddChild(group);
            for (int k = 0; k < knobs[g]; ++k)
                group->AddChild(new TW::Knob(&m, param++ % 21, 10.0f + 55.0f * float(k), 10, 45));
        }
        auto* last = static_cast<TW::Group*>(m.root->children.back());
        for (int b = 0; b < 3; ++b)
            last->AddChild(
                new TW::Button(&m, "Button", nullptr, nullptr, 175, 10.0f + 25.0f * float(b), 40, 20, -2 - b));
    }

    ~Editor()
    {
        manager.reset();
        if (view) CloseComponent(view);
        if (window) DisposeWindow(window);
    }
};

Editor* gEditor = nullptr;

void BM_GuiFrame(benchmark::State& state)
{
    TW::Manager& m = *gEditor->manager;
    static const bool ready = m.InitGL() == 0;
    if (!ready) {
        state.SkipWithError("GL set-up failed");
        return;
    }
    m.SetMouseOverParam(1, m.elements[2]);
    for (auto _ : state) {
        m.Update();
        m.Draw();
    }
}
BENCHMARK(BM_GuiFrame)->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(5);

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + 1e-6 * double(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

// The render thread drawing at its own pace while the main thread runs the event loop.
int ConstantRedraw(double seconds)
{
    TW::Manager::ms_enableConstantRedraw = true;
    gEditor->manager->CreateRenderTask();
    RunCurrentEventLoop(1.0);  // past the set-up
    const double cpu0 = CpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    RunCurrentEventLoop(seconds);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double cpu = CpuSeconds() - cpu0;
    gEditor->manager->DestroyRenderTask();
    std::printf("constant redraw: %.1f s wall, %.2f s CPU (%.1f %% of one core)\n", wall, cpu, 100.0 * cpu / wall);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    Editor editor;
    if (!editor.Open()) {
        std::fprintf(stderr, "bench_gui: no editor (is DISPLAY set?)\n");
        return 1;
    }
    gEditor = &editor;
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--constant-redraw=", 18) == 0) return ConstantRedraw(std::atof(argv[i] + 18));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (editor.manager->context) editor.manager->ShutdownGL();
    return 0;
}
