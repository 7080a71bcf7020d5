// Per-thread run loops: queues of work that a thread runs when it runs its loop.
#pragma once

#include <functional>

#include "platform/cf/CFBase.h"

typedef struct __CFRunLoop* CFRunLoopRef;

enum : SInt32 {
    kCFRunLoopRunFinished = 1,
    kCFRunLoopRunStopped = 2,
    kCFRunLoopRunTimedOut = 3,
    kCFRunLoopRunHandledSource = 4,
};

extern const CFStringRef kCFRunLoopDefaultMode;
extern const CFStringRef kCFRunLoopCommonModes;

CFRunLoopRef CFRunLoopGetCurrent();  // created on first use for the calling thread
CFRunLoopRef CFRunLoopGetMain();     // the loop of the first thread that asked for one
// Runs the loop's work for up to `seconds` (0: only what is due now). Returns
// kCFRunLoopRunHandledSource after the first piece of work when returnAfterSourceHandled.
SInt32 CFRunLoopRunInMode(CFStringRef mode, double seconds, Boolean returnAfterSourceHandled);
void CFRunLoopStop(CFRunLoopRef rl);
void CFRunLoopWakeUp(CFRunLoopRef rl);

// Services: a poll function that the loop calls on every pass, on the loop's thread. It returns
// true when it did some work. Remove it before its context dies.
typedef bool (*CFRunLoopPollProc)(void* context);
void CFRunLoopAddPoll(CFRunLoopRef rl, CFRunLoopPollProc proc, void* context);
void CFRunLoopRemovePoll(CFRunLoopRef rl, CFRunLoopPollProc proc, void* context);
// Work handed to a loop from any thread (not from the audio thread: this allocates).
void CFRunLoopPerform(CFRunLoopRef rl, std::function<void()> work);
