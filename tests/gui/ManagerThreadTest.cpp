// The render thread: what wakes it, hiding and quitting, the shutdown limit.
#include <chrono>
#include <functional>
#include <thread>

#include "gui/Knob.h"
#include "tests/gui/ManagerFixture.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// Holds the render thread inside its frame while `hold` is set.
class Staller : public TW::Effect {
public:
    using Effect::Effect;
    void Update() override
    {
        if (!hold.load()) return;
        holding.store(true);
        while (hold.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        holding.store(false);
    }
    std::atomic<bool> hold{false};
    std::atomic<bool> holding{false};
};

void SendWindowEvent(WindowRef w, UInt32 kind, UInt32 attributes = 0)
{
    EventRef e = nullptr;
    CreateEvent(nullptr, kEventClassWindow, kind, 0, 0, &e);
    if (kind == kEventWindowBoundsChanged)
        SetEventParameter(e, kEventParamAttributes, typeUInt32, sizeof attributes, &attributes);
    SendEventToEventTarget(e, GetWindowEventTarget(w));
    ReleaseEvent(e);
}

}  // namespace

class ManagerThread : public ManagerTest {};

TEST_F(ManagerThread, ThreadWakesOnceForEachEventThatAsksForAFrame)
{
    TW::Manager::ms_enableConstantRedraw = false;
    TW::Manager& m = MakeManager();
    auto* knob = new TW::Knob(&m, kParam_Feedback, 100, 100, 40);
    m.root->AddChild(knob);
    Start();

    struct Case {
        const char* name;
        std::function<void()> act;
        int frames;
    } const cases[] = {
        {"nothing", [] {}, 0},
        {"nudge (bit 8)", [&] { m.NudgeGUI(); }, 1},
        {"mouse-over (bit 8)", [&] { m.SetMouseOverParam(kParam_DryLevel, nullptr); }, 1},
        {"automation (bit 8)", [&] { SetParam(kParam_Feedback, 33); }, 1},
        {"showing (bit 2)", [&] { SendWindowEvent(window, kEventWindowShowing); }, 1},
        {"resized (bit 16)", [&] { SendWindowEvent(window, kEventWindowBoundsChanged, kWindowBoundsChangeSizeChanged); }, 1},
        {"scale (bit 16)", [&] { m.SetGuiScale(1.0f); }, 1},
        {"moved only", [&] { SendWindowEvent(window, kEventWindowBoundsChanged, kWindowBoundsChangeOriginChanged); }, 0},
        {"draw content", [&] { SendWindowEvent(window, kEventWindowDrawContent); }, 0},
    };
    Pump(0.3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int before = counter->frames.load();
        c.act();
        PumpUntil([&] { return counter->frames.load() > before; }, c.frames ? 3.0 : 0.5);
        Pump(0.2);
        EXPECT_EQ(counter->frames.load() - before, c.frames);
    }
    EXPECT_EQ(knob->normalised.load(), 0.33f);
}

TEST_F(ManagerThread, ThreadDrawsNothingWhileHiddenAndQuitsFromThere)
{
    MakeManager();
    Start();
    ASSERT_TRUE(WaitFrames(3));  // constant redraw: frames keep coming

    HideWindow(window);
    Pump(0.1);
    int hidden = counter->frames.load();
    Pump(0.3);
    EXPECT_EQ(counter->frames.load(), hidden);
    manager->NudgeGUI();  // any event resumes drawing
    EXPECT_TRUE(WaitFrames(3));

    HideWindow(window);
    Pump(0.1);
    hidden = counter->frames.load();
    auto start = Clock::now();
    manager->DestroyRenderTask();
    EXPECT_LT(SecondsSince(start), 2.0);
    EXPECT_FALSE(manager->renderTaskRunning);
    EXPECT_EQ(counter->frames.load(), hidden);
    EXPECT_EQ(counter->shutdowns.load(), 1);  // GL was shut down on the render thread
}

TEST_F(ManagerThread, ThreadThatDoesNotFinishInTimeIsLeftBehind)
{
    TW::Manager& m = MakeManager();
    auto* staller = new Staller(&m);
    m.effects.push_back(staller);
    m.shutdownLimit = 300;
    Start();
    staller->hold = true;
    ASSERT_TRUE(PumpUntil([&] { return staller->holding.load(); }));

    auto start = Clock::now();
    m.DestroyRenderTask();
    const double waited = SecondsSince(start);
    EXPECT_TRUE(waited >= 0.3 && waited < 3.0) << waited;
    EXPECT_TRUE(!m.renderTaskRunning && m.renderEvent == nullptr);

    // Let the abandoned thread finish its frame; it then ends without shutting GL down.
    const int frames = counter->frames.load();
    staller->hold = false;
    ASSERT_TRUE(PumpUntil([&] { return !staller->holding.load(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    MPEventID sync = nullptr;  // the MP lock orders the ended task's last steps before what follows
    MPCreateEvent(&sync);
    MPDeleteEvent(sync);
    EXPECT_EQ(counter->frames.load(), frames);
    EXPECT_EQ(counter->shutdowns.load(), 0);
    m.ShutdownGL();  // it let go of its context, so this thread can
    EXPECT_EQ(counter->shutdowns.load(), 1);
    EXPECT_EQ(m.context, nullptr);
}
