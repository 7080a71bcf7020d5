// Tasks, events, semaphores and the monotonic clock, on std::thread and condition variables.
// Any thread may use these.
#pragma once

#include "platform/desktop/DesktopTypes.h"

typedef struct OpaqueMPTaskID* MPTaskID;
typedef struct OpaqueMPEventID* MPEventID;
typedef struct OpaqueMPSemaphoreID* MPSemaphoreID;
typedef struct OpaqueMPQueueID* MPQueueID;
typedef UInt32 MPEventFlags;
typedef UInt32 MPSemaphoreCount;
typedef OptionBits MPTaskOptions;
typedef OSStatus (*TaskProc)(void* parameter);

// Timeouts: positive values are milliseconds, negative ones microseconds.
typedef SInt32 Duration;
enum : Duration {
    kDurationImmediate = 0,
    kDurationForever = 0x7FFFFFFF,
    kDurationMillisecond = 1,
    kDurationMicrosecond = -1,
};

enum : OSStatus {
    kMPInvalidIDErr = -29299,
    kMPInsufficientResourcesErr = -29298,
    kMPTaskAbortedErr = -29297,
    kMPTimeoutErr = -29296,
    kMPDeletedErr = -29295,
};

Boolean MPLibraryIsLoaded();

// The task runs `entry(parameter)` on a thread of its own; it ends when `entry` returns. A
// notification queue is not supported: pass null (else kMPInvalidIDErr).
OSStatus MPCreateTask(TaskProc entry, void* parameter, ByteCount stackSize, MPQueueID notifyQueue,
                      void* terminationParameter1, void* terminationParameter2, MPTaskOptions options,
                      MPTaskID* task);
// A thread cannot be stopped safely from outside: the task is marked terminated, every MP wait
// it is in or enters returns kMPTaskAbortedErr at once, and its thread is left to return.
OSStatus MPTerminateTask(MPTaskID task, OSStatus terminationStatus);
MPTaskID MPCurrentTaskID();  // null on threads not made by MPCreateTask
void MPYield();

// Events: MPSetEvent ORs bits in; a wait takes (and clears) every bit set so far.
OSStatus MPCreateEvent(MPEventID* event);
OSStatus MPDeleteEvent(MPEventID event);  // waiters get kMPDeletedErr
OSStatus MPSetEvent(MPEventID event, MPEventFlags flags);
OSStatus MPWaitForEvent(MPEventID event, MPEventFlags* flags, Duration timeout);  // kMPTimeoutErr

// Counting semaphores. Signalling one at its maximum gives kMPInsufficientResourcesErr.
OSStatus MPCreateSemaphore(MPSemaphoreCount maximum, MPSemaphoreCount initial, MPSemaphoreID* semaphore);
OSStatus MPDeleteSemaphore(MPSemaphoreID semaphore);
OSStatus MPSignalSemaphore(MPSemaphoreID semaphore);
OSStatus MPWaitOnSemaphore(MPSemaphoreID semaphore, Duration timeout);

// The monotonic clock. AbsoluteTime counts clock ticks since an arbitrary start.
typedef UInt64 AbsoluteTime;
typedef UInt64 Nanoseconds;
AbsoluteTime UpTime();
Nanoseconds AbsoluteToNanoseconds(AbsoluteTime t);
AbsoluteTime NanosecondsToAbsolute(Nanoseconds ns);
Duration AbsoluteToDuration(AbsoluteTime t);
AbsoluteTime DurationToAbsolute(Duration d);
AbsoluteTime AddAbsoluteToAbsolute(AbsoluteTime a, AbsoluteTime b);
AbsoluteTime SubAbsoluteFromAbsolute(AbsoluteTime left, AbsoluteTime right);  // 0 when right is later
Nanoseconds AbsoluteDeltaToNanoseconds(AbsoluteTime left, AbsoluteTime right);
inline UInt64 UnsignedWideToUInt64(UInt64 v) { return v; }
