// One frame (Update + Draw) of the effect's whole editor, opened the way a host opens it: the
// view component asked for its view in a window of 770 x 315. The render thread the view starts
// is stopped and the frames are drawn here instead. Needs an X display (Xvfb and Mesa will do).
#include <benchmark/benchmark.h>

#include "editor/TrWkFlummelView.h"
#include "editor/TrWkFlummelViewEntry.h"
#include "engine/TrWkFlummelEntry.h"
#include "framework/ComponentBase.h"
#include "gui/Manager.h"
#include "host/AUHost.h"
#include "platform/desktop/Controls.h"
#include "platform/desktop/Events.h"
#include "platform/desktop/Windows.h"

namespace {

void BM_EditorFrame(benchmark::State& state)
{
    RegisterTrWkFlummel();
    const Component viewComponent = RegisterTrWkFlummelView();
    std::unique_ptr<AUHost> host;
    ComponentInstance view = nullptr;
    WindowRef window = nullptr;
    Rect bounds{60, 60, 60 + TrWkFlummelView::windowH, 60 + TrWkFlummelView::windowW};
    ControlRef root = nullptr, pane = nullptr;
    const Float32Point at{0, 0}, size{TrWkFlummelView::windowW, TrWkFlummelView::windowH};
    if (AUHost::Open(TrWkFlummelDescription(), host) != noErr || host->Initialize() != noErr ||
        OpenAComponent(viewComponent, &view) != noErr ||
        CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &bounds, &window) != noErr ||
        GetRootControl(window, &root) != noErr ||
        AudioUnitCarbonViewCreate(view, host->Unit(), window, root, &at, &size, &pane) != noErr) {
        state.SkipWithError("cannot open the editor");
        return;
    }
    ShowWindow(window);
    RunCurrentEventLoop(0.3);
    auto* editor = static_cast<TrWkFlummelView*>(static_cast<ComponentBase*>(GetComponentInstanceStorage(view)));
    TW::Manager& m = *editor->GetManager();
    m.DestroyRenderTask();
    if (m.InitGL() != 0) {
        state.SkipWithError("GL set-up failed");
        return;
    }
    m.SetMouseOverParam(1, nullptr);
    for (auto _ : state) {
        m.Update();
        m.Draw();
    }
    m.ShutdownGL();
    CloseComponent(view);
    DisposeWindow(window);
}
BENCHMARK(BM_EditorFrame)->Unit(benchmark::kMillisecond)->Iterations(300)->Repetitions(5);

}  // namespace

BENCHMARK_MAIN();
