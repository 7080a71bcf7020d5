// MP tasks, events and semaphores. One lock guards every object's state, so a termination can
// find and wake the wait a task is blocked in; these objects are never used on the audio thread.
#include "platform/desktop/Multiprocessing.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

namespace {

// The registries and their lock are never destroyed: a task's thread may still be ending when
// the process exits and the statics go.
std::mutex& Lock()
{
    static auto* m = new std::mutex;
    return *m;
}

struct Waitable {
    std::condition_variable cv;
    bool deleted = false;
    int waiters = 0;
};

}  // namespace

struct OpaqueMPTaskID {
    bool terminated = false;
    OSStatus status = noErr;
    std::condition_variable* waitingOn = nullptr;  // the condition the task sleeps on
};

struct OpaqueMPEventID : Waitable {
    MPEventFlags flags = 0;
};

struct OpaqueMPSemaphoreID : Waitable {
    MPSemaphoreCount count = 0;
    MPSemaphoreCount maximum = 1;
};

namespace {

thread_local std::shared_ptr<OpaqueMPTaskID> tTask;

std::set<MPTaskID>& Tasks()
{
    static auto* t = new std::set<MPTaskID>;
    return *t;
}
// One registry per kind, so that an event passed as a semaphore (or the reverse) is refused.
template <class T>
std::set<T*>& Objects()
{
    static auto* o = new std::set<T*>;
    return *o;
}

using Clock = std::chrono::steady_clock;

Clock::time_point Deadline(Duration timeout)
{
    if (timeout == kDurationForever) return Clock::time_point::max();
    if (timeout >= 0) return Clock::now() + std::chrono::milliseconds(timeout);
    return Clock::now() + std::chrono::microseconds(-SInt64(timeout));
}

// Waits on `w` until `ready` holds, the deadline passes, the object is deleted or the calling
// task is terminated. The lock is held on entry and on return.
template <class Ready>
OSStatus Wait(std::unique_lock<std::mutex>& lk, Waitable& w, Duration timeout, Ready ready)
{
    Clock::time_point end = Deadline(timeout);
    OpaqueMPTaskID* task = tTask.get();
    ++w.waiters;
    if (task) task->waitingOn = &w.cv;
    OSStatus r = noErr;
    for (;;) {
        if (task && task->terminated) {
            r = kMPTaskAbortedErr;
            break;
        }
        if (w.deleted) {
            r = kMPDeletedErr;
            break;
        }
        if (ready()) break;
        if (timeout == kDurationImmediate || Clock::now() >= end) {
            r = kMPTimeoutErr;
            break;
        }
        if (end == Clock::time_point::max())
            w.cv.wait(lk);
        else
            w.cv.wait_until(lk, end);
    }
    if (task) task->waitingOn = nullptr;
    --w.waiters;
    if (w.deleted && w.waiters == 0) w.cv.notify_all();  // lets the deleting thread go on
    return r;
}

// Checks and unregisters under one lock, so that of two deletions of one object only one goes on.
template <class T>
OSStatus Delete(T* obj)
{
    std::unique_lock<std::mutex> lk(Lock());
    if (!Objects<T>().erase(obj)) return kMPInvalidIDErr;
    obj->deleted = true;
    obj->cv.notify_all();
    while (obj->waiters > 0) obj->cv.wait(lk);
    lk.unlock();
    delete obj;
    return noErr;
}

}  // namespace

Boolean MPLibraryIsLoaded() { return true; }

OSStatus MPCreateTask(TaskProc entry, void* parameter, ByteCount, MPQueueID notifyQueue, void*, void*, MPTaskOptions,
                      MPTaskID* task)
{
    if (!entry || !task) return paramErr;
    if (notifyQueue) return kMPInvalidIDErr;
    auto record = std::make_shared<OpaqueMPTaskID>();
    {
        std::lock_guard<std::mutex> g(Lock());
        Tasks().insert(record.get());
    }
    *task = record.get();
    try {
        std::thread([record, entry, parameter] {
            tTask = record;
            OSStatus s = entry(parameter);
            std::lock_guard<std::mutex> g(Lock());
            if (!record->terminated) record->status = s;
            Tasks().erase(record.get());
            tTask.reset();
        }).detach();
    } catch (...) {
        std::lock_guard<std::mutex> g(Lock());
        Tasks().erase(record.get());
        *task = nullptr;
        return kMPInsufficientResourcesErr;
    }
    return noErr;
}

OSStatus MPTerminateTask(MPTaskID task, OSStatus terminationStatus)
{
    std::lock_guard<std::mutex> g(Lock());
    if (!Tasks().count(task)) return kMPInvalidIDErr;
    task->terminated = true;
    task->status = terminationStatus;
    if (task->waitingOn) task->waitingOn->notify_all();
    return noErr;
}

MPTaskID MPCurrentTaskID() { return tTask.get(); }
void MPYield() { std::this_thread::yield(); }

OSStatus MPCreateEvent(MPEventID* event)
{
    if (!event) return paramErr;
    *event = new OpaqueMPEventID;
    std::lock_guard<std::mutex> g(Lock());
    Objects<OpaqueMPEventID>().insert(*event);
    return noErr;
}

OSStatus MPDeleteEvent(MPEventID event) { return Delete(event); }

OSStatus MPSetEvent(MPEventID event, MPEventFlags flags)
{
    std::lock_guard<std::mutex> g(Lock());
    if (!Objects<OpaqueMPEventID>().count(event)) return kMPInvalidIDErr;
    event->flags |= flags;
    event->cv.notify_all();
    return noErr;
}

OSStatus MPWaitForEvent(MPEventID event, MPEventFlags* flags, Duration timeout)
{
    std::unique_lock<std::mutex> lk(Lock());
    if (!Objects<OpaqueMPEventID>().count(event)) return kMPInvalidIDErr;
    OSStatus r = Wait(lk, *event, timeout, [event] { return event->flags != 0; });
    if (r == noErr) {
        if (flags) *flags = event->flags;
        event->flags = 0;
    } else if (flags) {
        *flags = 0;
    }
    return r;
}

OSStatus MPCreateSemaphore(MPSemaphoreCount maximum, MPSemaphoreCount initial, MPSemaphoreID* semaphore)
{
    if (!semaphore || maximum == 0 || initial > maximum) return paramErr;
    auto* s = new OpaqueMPSemaphoreID;
    s->maximum = maximum;
    s->count = initial;
    *semaphore = s;
    std::lock_guard<std::mutex> g(Lock());
    Objects<OpaqueMPSemaphoreID>().insert(s);
    return noErr;
}

OSStatus MPDeleteSemaphore(MPSemaphoreID semaphore) { return Delete(semaphore); }

OSStatus MPSignalSemaphore(MPSemaphoreID s)
{
    std::lock_guard<std::mutex> g(Lock());
    if (!Objects<OpaqueMPSemaphoreID>().count(s)) return kMPInvalidIDErr;
    if (s->count >= s->maximum) return kMPInsufficientResourcesErr;
    ++s->count;
    s->cv.notify_one();
    return noErr;
}

OSStatus MPWaitOnSemaphore(MPSemaphoreID s, Duration timeout)
{
    std::unique_lock<std::mutex> lk(Lock());
    if (!Objects<OpaqueMPSemaphoreID>().count(s)) return kMPInvalidIDErr;
    OSStatus r = Wait(lk, *s, timeout, [s] { return s->count > 0; });
    if (r == noErr) --s->count;
    return r;
}

AbsoluteTime UpTime() { return AbsoluteTime(Clock::now().time_since_epoch().count()); }

Nanoseconds AbsoluteToNanoseconds(AbsoluteTime t)
{
    return Nanoseconds(std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::duration(Clock::rep(t))).count());
}

AbsoluteTime NanosecondsToAbsolute(Nanoseconds ns)
{
    return AbsoluteTime(std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(ns)).count());
}

Duration AbsoluteToDuration(AbsoluteTime t)
{
    Nanoseconds ns = AbsoluteToNanoseconds(t);
    // Whole milliseconds stay milliseconds; finer times are given in microseconds while they fit.
    if (ns % 1000000 != 0 && ns / 1000 < 0x7FFFFFFFull) return Duration(-SInt64(ns / 1000));
    UInt64 ms = ns / 1000000;
    return ms >= UInt64(kDurationForever) ? kDurationForever : Duration(ms);
}

AbsoluteTime DurationToAbsolute(Duration d)
{
    if (d == kDurationForever) return ~AbsoluteTime(0);
    return NanosecondsToAbsolute(d >= 0 ? Nanoseconds(d) * 1000000 : Nanoseconds(-SInt64(d)) * 1000);
}

AbsoluteTime AddAbsoluteToAbsolute(AbsoluteTime a, AbsoluteTime b) { return a + b; }
AbsoluteTime SubAbsoluteFromAbsolute(AbsoluteTime left, AbsoluteTime right) { return left > right ? left - right : 0; }
Nanoseconds AbsoluteDeltaToNanoseconds(AbsoluteTime left, AbsoluteTime right)
{
    return AbsoluteToNanoseconds(SubAbsoluteFromAbsolute(left, right));
}
