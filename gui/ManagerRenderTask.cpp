// The render thread: its creation, its loop woken by event bits, and the shutdown hand-shake.
#include <cstdio>

#include "gui/Manager.h"
#include "platform/desktop/Alerts.h"

namespace TW {

void Manager::CreateRenderTask()
{
    if (renderTaskRunning) {
        std::printf("double call to CreateRenderTask()\n");
        return;
    }
    if (!MPLibraryIsLoaded()) {
        std::printf("Disaster - no MP lib loaded\n");
        DialogRef alert = nullptr;
        if (CreateStandardAlert(kAlertStopAlert, CFSTR("No MP Library"), CFSTR("Oh dear."), nullptr, &alert) == noErr)
            RunStandardAlert(alert, nullptr, nullptr);
        return;
    }
    OSStatus err = MPCreateEvent(&renderEvent);
    if (err != noErr) {
        std::printf("MPCreateEvent returned %d\n", int(err));
        return;
    }
    err = MPCreateSemaphore(1, 0, &renderDone);
    if (err != noErr) {
        std::printf("MPCreateSemaphore returned %d\n", int(err));
        return;
    }
    err = MPCreateTask(RenderTask, this, 0, nullptr, nullptr, nullptr, 0, &renderTask);
    if (err != noErr) {
        std::printf("MPCreateTask returned %d\n", int(err));
        return;
    }
    renderTaskRunning = true;
}

void Manager::DestroyRenderTask()
{
    if (renderTaskRunning) {
        MPSetEvent(renderEvent, kRenderQuit);
        if (MPWaitOnSemaphore(renderDone, shutdownLimit) != noErr) {
            std::printf("DestroyRenderTask timeout on shutdown\n");
            MPTerminateTask(renderTask, kMPTaskAbortedErr);
        }
    }
    if (renderEvent) MPDeleteEvent(renderEvent);
    if (renderDone) MPDeleteSemaphore(renderDone);
    renderEvent = nullptr;
    renderDone = nullptr;
    renderTask = nullptr;
    renderTaskRunning = false;
}

OSStatus Manager::RenderTask(void* manager) { return static_cast<Manager*>(manager)->RenderTaskMain(); }

namespace {

enum class Wake { Bits, Gone };

// Waits for the next bits; a wait that times out brings none. Gone when the event was deleted or
// the task terminated: the main thread stopped waiting for this one.
Wake WaitForBits(MPEventID event, Duration timeout, MPEventFlags& bits)
{
    bits = 0;
    OSStatus err = MPWaitForEvent(event, &bits, timeout);
    if (err == kMPTimeoutErr) bits = 0;
    return err == noErr || err == kMPTimeoutErr ? Wake::Bits : Wake::Gone;
}

// A terminated task (its shutdown timed out) may outlive its manager: it touches nothing of it
// any more, and lets go of its context so that another thread can still shut GL down.
OSStatus Abandon()
{
    aglSetCurrentContext(nullptr);
    return kMPTaskAbortedErr;
}

}  // namespace

OSStatus Manager::RenderTaskMain()
{
    // Copies, so that the hand-shake never reads the manager's fields.
    MPEventID event = renderEvent;
    MPSemaphoreID done = renderDone;

    InitGL();
    AbsoluteTime previousTime = 0;
    float previousRate = 0;
    for (;;) {
        Update();
        Draw();

        AbsoluteTime now = UpTime();
        float seconds = float(double(AbsoluteDeltaToNanoseconds(now, previousTime)) * 1e-9);
        if (seconds < 1e-6f) seconds = 1e-6f;
        frameTime = seconds;
        float rate = 1.0f / seconds;
        frameRate = 0.5f * (previousRate + rate);
        if (frameRate > 1e6f) frameRate = 0;
        elapsedTime += frameTime;

        MPEventFlags bits = 0;
        Duration timeout = ms_enableConstantRedraw.load(std::memory_order_relaxed) ? 33 : kDurationForever;
        if (WaitForBits(event, timeout, bits) == Wake::Gone) return Abandon();
        if (bits & kRenderQuit) break;
        if (bits & kRenderResize) RenderTaskHandleResize();
        if (bits & kRenderHide) {
            if (WaitForBits(event, kDurationForever, bits) == Wake::Gone) return Abandon();
            if (bits & kRenderQuit) break;
            if (bits & kRenderResize) RenderTaskHandleResize();
        }
        previousTime = now;
        previousRate = rate;
    }
    ShutdownGL();
    MPSignalSemaphore(done);
    return noErr;
}

}  // namespace TW
