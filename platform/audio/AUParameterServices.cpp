// Parameter services. AUParameterSet may run on the audio thread: it sets the value through the
// unit's entry and pushes the change onto a preallocated lock-free queue (when the queue is full
// the change is dropped; listeners still see the value at the next change). Run loops that have
// listeners drain the queue, fan changes out to the listeners of that parameter, and deliver
// each listener's latest value at most once per notification interval, on the listener's loop.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <vector>

#include "platform/audio/AudioUnitCalls.h"
#include "platform/audio/AudioUnitUtilities.h"
#include "platform/audio/BoundedQueue.h"

namespace {

struct Change {
    AudioUnitParameter parameter;
    AudioUnitParameterValue value;
    AUParameterListenerRef sender;
};

bool SameParameter(const AudioUnitParameter& a, const AudioUnitParameter& b)
{
    return a.mAudioUnit == b.mAudioUnit && a.mParameterID == b.mParameterID && a.mScope == b.mScope &&
           a.mElement == b.mElement;
}

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

struct AUListenerBase {
    struct Subscription {
        void* object;
        AudioUnitParameter parameter;
        bool pending = false;
        AudioUnitParameterValue value = 0;
        double lastDelivery = -1e30;
    };
    AUParameterListenerProc parameterProc = nullptr;
    AUEventListenerProc eventProc = nullptr;
    void* refCon = nullptr;
    CFRunLoopRef runLoop = nullptr;
    double interval = 0;
    std::vector<Subscription> subscriptions;
};

namespace {

struct Registry {
    std::recursive_mutex mutex;  // never taken on the audio thread
    std::vector<AUListenerBase*> listeners;
    std::vector<CFRunLoopRef> polledLoops;
    BoundedQueue<Change> queue{4096};
};

Registry& TheRegistry()
{
    static Registry* r = new Registry;  // lives for the process: run loops may poll late
    return *r;
}

// Built when the library loads, so the first set from an audio thread neither allocates the
// queue nor waits on the guard of its construction.
[[maybe_unused]] const bool kRegistryBuilt = (TheRegistry(), true);

bool IsListener(Registry& r, AUListenerBase* l)
{
    return std::find(r.listeners.begin(), r.listeners.end(), l) != r.listeners.end();
}

void Drain(Registry& r)
{
    Change c;
    while (r.queue.pop(c)) {
        for (AUListenerBase* l : r.listeners) {
            if (l == c.sender) continue;
            for (auto& s : l->subscriptions) {
                if (!SameParameter(s.parameter, c.parameter)) continue;
                s.pending = true;
                s.value = c.value;
            }
        }
    }
}

bool PollLoop(void* context)
{
    auto rl = static_cast<CFRunLoopRef>(context);
    Registry& r = TheRegistry();
    std::lock_guard<std::recursive_mutex> lock(r.mutex);
    Drain(r);
    struct Due {
        AUListenerBase* listener;
        void* object;
        AudioUnitParameter parameter;
        AudioUnitParameterValue value;
    };
    std::vector<Due> due;
    const double now = Now();
    for (AUListenerBase* l : r.listeners) {
        if (l->runLoop != rl) continue;
        for (auto& s : l->subscriptions) {
            if (!s.pending || now - s.lastDelivery < l->interval) continue;
            s.pending = false;
            s.lastDelivery = now;
            due.push_back(Due{l, s.object, s.parameter, s.value});
        }
    }
    for (const Due& d : due) {
        if (!IsListener(r, d.listener)) continue;  // disposed by an earlier callback
        if (d.listener->parameterProc) {
            d.listener->parameterProc(d.listener->refCon, d.object, &d.parameter, d.value);
        } else if (d.listener->eventProc) {
            AudioUnitEvent event{};
            event.mEventType = kAudioUnitEvent_ParameterValueChange;
            event.mArgument.mParameter = d.parameter;
            d.listener->eventProc(d.listener->refCon, d.object, &event, 0, d.value);
        }
    }
    return !due.empty();
}

OSStatus AddListener(AUListenerBase* l, CFRunLoopRef runLoop, Float32 interval, AUParameterListenerRef* out)
{
    if (!out) {
        delete l;
        return paramErr;
    }
    l->runLoop = runLoop ? runLoop : CFRunLoopGetCurrent();
    l->interval = std::max(0.0, double(interval));
    Registry& r = TheRegistry();
    std::lock_guard<std::recursive_mutex> lock(r.mutex);
    if (std::find(r.polledLoops.begin(), r.polledLoops.end(), l->runLoop) == r.polledLoops.end()) {
        r.polledLoops.push_back(l->runLoop);
        CFRunLoopAddPoll(l->runLoop, &PollLoop, l->runLoop);
    }
    r.listeners.push_back(l);
    *out = l;
    return noErr;
}

}  // namespace

OSStatus AUParameterSet(AUParameterListenerRef inSendingListener, void*, const AudioUnitParameter* inParameter,
                        AudioUnitParameterValue inValue, UInt32 inBufferOffsetInFrames)
{
    if (!inParameter) return paramErr;
    const OSStatus result = AudioUnitSetParameter(inParameter->mAudioUnit, inParameter->mParameterID,
                                                  inParameter->mScope, inParameter->mElement, inValue,
                                                  inBufferOffsetInFrames);
    if (result != noErr) return result;
    TheRegistry().queue.push(Change{*inParameter, inValue, inSendingListener});
    return noErr;
}

OSStatus AUParameterListenerNotify(AUParameterListenerRef inSendingListener, void*,
                                   const AudioUnitParameter* inParameter)
{
    if (!inParameter) return paramErr;
    AudioUnitParameterValue value = 0;
    const OSStatus result = AudioUnitGetParameter(inParameter->mAudioUnit, inParameter->mParameterID,
                                                  inParameter->mScope, inParameter->mElement, &value);
    if (result != noErr) return result;
    TheRegistry().queue.push(Change{*inParameter, value, inSendingListener});
    return noErr;
}

OSStatus AUListenerCreate(AUParameterListenerProc inProc, void* inRefCon, CFRunLoopRef inRunLoop, CFStringRef,
                          Float32 inNotificationInterval, AUParameterListenerRef* outListener)
{
    if (!inProc) return paramErr;
    auto* l = new AUListenerBase;
    l->parameterProc = inProc;
    l->refCon = inRefCon;
    return AddListener(l, inRunLoop, inNotificationInterval, outListener);
}

OSStatus AUEventListenerCreate(AUEventListenerProc inProc, void* inCallbackRefCon, CFRunLoopRef inRunLoop, CFStringRef,
                               Float32 inNotificationInterval, Float32, AUEventListenerRef* outListener)
{
    if (!inProc) return paramErr;
    auto* l = new AUListenerBase;
    l->eventProc = inProc;
    l->refCon = inCallbackRefCon;
    return AddListener(l, inRunLoop, inNotificationInterval, outListener);
}

OSStatus AUListenerDispose(AUParameterListenerRef inListener)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::recursive_mutex> lock(r.mutex);
    auto it = std::find(r.listeners.begin(), r.listeners.end(), inListener);
    if (it == r.listeners.end()) return paramErr;
    r.listeners.erase(it);
    delete inListener;
    return noErr;
}

OSStatus AUListenerAddParameter(AUParameterListenerRef inListener, void* inObject,
                                const AudioUnitParameter* inParameter)
{
    if (!inParameter) return paramErr;
    Registry& r = TheRegistry();
    std::lock_guard<std::recursive_mutex> lock(r.mutex);
    if (!IsListener(r, inListener)) return paramErr;
    Drain(r);  // earlier changes are not this subscription's
    inListener->subscriptions.push_back(AUListenerBase::Subscription{inObject, *inParameter});
    return noErr;
}

OSStatus AUListenerRemoveParameter(AUParameterListenerRef inListener, void* inObject,
                                   const AudioUnitParameter* inParameter)
{
    if (!inParameter) return paramErr;
    Registry& r = TheRegistry();
    std::lock_guard<std::recursive_mutex> lock(r.mutex);
    if (!IsListener(r, inListener)) return paramErr;
    auto& subs = inListener->subscriptions;
    subs.erase(std::remove_if(subs.begin(), subs.end(),
                              [&](const AUListenerBase::Subscription& s) {
                                  return s.object == inObject && SameParameter(s.parameter, *inParameter);
                              }),
               subs.end());
    return noErr;
}

OSStatus AUEventListenerAddEventType(AUEventListenerRef inListener, void* inObject, const AudioUnitEvent* inEvent)
{
    if (!inEvent || inEvent->mEventType != kAudioUnitEvent_ParameterValueChange) return paramErr;
    return AUListenerAddParameter(inListener, inObject, &inEvent->mArgument.mParameter);
}

OSStatus AUEventListenerRemoveEventType(AUEventListenerRef inListener, void* inObject, const AudioUnitEvent* inEvent)
{
    if (!inEvent || inEvent->mEventType != kAudioUnitEvent_ParameterValueChange) return paramErr;
    return AUListenerRemoveParameter(inListener, inObject, &inEvent->mArgument.mParameter);
}

namespace {

// The parameter's range; false when its information cannot be read.
bool Range(const AudioUnitParameter* p, Float32& lo, Float32& hi)
{
    if (!p) return false;
    AudioUnitParameterInfo info{};
    UInt32 size = sizeof info;
    if (AudioUnitGetProperty(p->mAudioUnit, kAudioUnitProperty_ParameterInfo, p->mScope, p->mParameterID, &info,
                             &size) != noErr)
        return false;
    if (info.flags & kAudioUnitParameterFlag_CFNameRelease) {
        if (info.cfNameString) CFRelease(info.cfNameString);
        if (info.unitName) CFRelease(info.unitName);
    }
    lo = info.minValue;
    hi = info.maxValue;
    return true;
}

}  // namespace

Float32 AUParameterValueToLinear(Float32 inParameterValue, const AudioUnitParameter* inParameter)
{
    Float32 lo = 0, hi = 0;
    if (!Range(inParameter, lo, hi) || !(hi > lo)) return 0.f;
    const double t = (double(inParameterValue) - lo) / (double(hi) - lo);
    return Float32(std::clamp(t, 0.0, 1.0));
}

Float32 AUParameterValueFromLinear(Float32 inLinearValue, const AudioUnitParameter* inParameter)
{
    Float32 lo = 0, hi = 0;
    if (!Range(inParameter, lo, hi)) return 0.f;
    if (!(hi > lo)) return lo;
    const double t = std::clamp(double(inLinearValue), 0.0, 1.0);
    return std::clamp(Float32(lo + t * (double(hi) - lo)), lo, hi);
}

char* AUParameterFormatValue(Float64 inParameterValue, const AudioUnitParameter*, char* outText, UInt32 inDigits)
{
    if (!outText) return outText;
    const int digits = inDigits == 0 ? 3 : int(std::min<UInt32>(inDigits, 17));
    std::snprintf(outText, 32, "%.*g", digits, inParameterValue);
    return outText;
}
