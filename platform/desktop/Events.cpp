// Event objects, typed parameters, targets, handlers and dispatch.
#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "platform/desktop/DesktopInternal.h"

namespace {
// Handler records in existence; touched on the event thread only. Never destroyed, so records
// held by static targets may still leave it at exit.
std::unordered_set<const OpaqueEventHandlerRef*>& LiveHandlers()
{
    static auto* live = new std::unordered_set<const OpaqueEventHandlerRef*>;
    return *live;
}
}  // namespace

OpaqueEventHandlerRef::OpaqueEventHandlerRef() { LiveHandlers().insert(this); }
OpaqueEventHandlerRef::~OpaqueEventHandlerRef() { LiveHandlers().erase(this); }
bool OpaqueEventHandlerRef::IsLive(const OpaqueEventHandlerRef* h) { return h && LiveHandlers().count(h); }

bool OpaqueEventHandlerRef::Wants(UInt32 cls, UInt32 kind) const
{
    for (const EventTypeSpec& t : types)
        if (t.eventClass == cls && t.eventKind == kind) return true;
    return false;
}

OpaqueEventTargetRef::~OpaqueEventTargetRef()
{
    for (auto& h : handlers) {
        h->removed = true;
        h->target = nullptr;
    }
}

EventTargetRef OpaqueEventTargetRef::Parent() const
{
    switch (kind) {
    case Control:
        if (control->parent) return &control->parent->target;
        return control->window ? &control->window->target : GetApplicationEventTarget();
    case Window:
        return GetApplicationEventTarget();
    case Application:
        break;
    }
    return nullptr;
}

EventTargetRef GetApplicationEventTarget()
{
    static OpaqueEventTargetRef app;
    return &app;
}

EventTime GetCurrentEventTime() { return desktop::Now(); }

OSStatus CreateEvent(CFAllocatorRef, UInt32 inClassID, UInt32 kind, EventTime when, EventAttributes, EventRef* outEvent)
{
    if (!outEvent) return paramErr;
    EventRef e = new OpaqueEventRef;
    e->eventClass = inClassID;
    e->kind = kind;
    e->time = when > 0 ? when : desktop::Now();
    *outEvent = e;
    return noErr;
}

EventRef RetainEvent(EventRef e)
{
    if (e) e->refs.fetch_add(1, std::memory_order_relaxed);
    return e;
}

void ReleaseEvent(EventRef e)
{
    if (e && e->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete e;
}

UInt32 GetEventClass(EventRef e) { return e ? e->eventClass : 0; }
UInt32 GetEventKind(EventRef e) { return e ? e->kind : 0; }
EventTime GetEventTime(EventRef e) { return e ? e->time : 0; }

OSStatus SetEventParameter(EventRef e, EventParamName name, EventParamType type, ByteCount size, const void* data)
{
    if (!e || (size && !data)) return paramErr;
    const UInt8* b = static_cast<const UInt8*>(data);
    for (auto& p : e->params) {
        if (p.name == name) {
            p.type = type;
            p.bytes.assign(b, b + size);
            return noErr;
        }
    }
    e->params.push_back({name, type, std::vector<UInt8>(b, b + size)});
    return noErr;
}

namespace {

// Converts a stored value into the desired type; false when there is no conversion.
bool Coerce(const OpaqueEventRef::Param& p, EventParamType want, std::vector<UInt8>& out)
{
    if (want == p.type || want == typeWildCard) {
        out = p.bytes;
        return true;
    }
    if (p.type == typeHIPoint && want == typeQDPoint && p.bytes.size() == sizeof(HIPoint)) {
        HIPoint hp;
        std::memcpy(&hp, p.bytes.data(), sizeof hp);
        Point q{SInt16(hp.y), SInt16(hp.x)};
        out.assign(reinterpret_cast<UInt8*>(&q), reinterpret_cast<UInt8*>(&q) + sizeof q);
        return true;
    }
    if (p.type == typeQDPoint && want == typeHIPoint && p.bytes.size() == sizeof(Point)) {
        Point q;
        std::memcpy(&q, p.bytes.data(), sizeof q);
        HIPoint hp{CGFloat(q.h), CGFloat(q.v)};
        out.assign(reinterpret_cast<UInt8*>(&hp), reinterpret_cast<UInt8*>(&hp) + sizeof hp);
        return true;
    }
    auto sameWidth = [&](EventParamType a, EventParamType b) {
        return (p.type == a && want == b) || (p.type == b && want == a);
    };
    if (sameWidth(typeSInt32, typeUInt32) || sameWidth(typeSInt16, typeUInt16)) {
        out = p.bytes;
        return true;
    }
    return false;
}

}  // namespace

OSStatus GetEventParameter(EventRef e, EventParamName name, EventParamType desiredType, EventParamType* outActualType,
                           ByteCount bufferSize, ByteCount* outActualSize, void* outData)
{
    if (!e) return paramErr;
    for (const auto& p : e->params) {
        if (p.name != name) continue;
        std::vector<UInt8> v;
        if (!Coerce(p, desiredType, v)) return errAECoercionFail;
        if (outActualType) *outActualType = desiredType == typeWildCard ? p.type : desiredType;
        if (outActualSize) *outActualSize = v.size();
        if (!outData) return noErr;
        if (bufferSize < v.size()) return paramErr;
        if (!v.empty()) std::memcpy(outData, v.data(), v.size());
        return noErr;
    }
    return eventParameterNotFoundErr;
}

OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, ItemCount numTypes,
                             const EventTypeSpec* list, void* userData, EventHandlerRef* outRef)
{
    if (!target || !handler || (numTypes && !list)) return paramErr;
    auto h = std::make_shared<OpaqueEventHandlerRef>();
    h->target = target;
    h->proc = handler;
    h->userData = userData;
    h->types.assign(list, list + numTypes);
    target->handlers.insert(target->handlers.begin(), h);
    if (outRef) *outRef = h.get();
    return noErr;
}

OSStatus AddEventTypesToHandler(EventHandlerRef handler, ItemCount numTypes, const EventTypeSpec* list)
{
    if (!OpaqueEventHandlerRef::IsLive(handler) || handler->removed || (numTypes && !list)) return paramErr;
    for (ItemCount i = 0; i < numTypes; ++i)
        if (!handler->Wants(list[i].eventClass, list[i].eventKind)) handler->types.push_back(list[i]);
    return noErr;
}

OSStatus RemoveEventTypesFromHandler(EventHandlerRef handler, ItemCount numTypes, const EventTypeSpec* list)
{
    if (!OpaqueEventHandlerRef::IsLive(handler) || handler->removed || (numTypes && !list)) return paramErr;
    auto& t = handler->types;
    for (ItemCount i = 0; i < numTypes; ++i)
        t.erase(std::remove_if(t.begin(), t.end(),
                               [&](const EventTypeSpec& s) {
                                   return s.eventClass == list[i].eventClass && s.eventKind == list[i].eventKind;
                               }),
                t.end());
    return noErr;
}

OSStatus RemoveEventHandler(EventHandlerRef handler)
{
    if (!OpaqueEventHandlerRef::IsLive(handler) || handler->removed || !handler->target) return paramErr;
    auto& hs = handler->target->handlers;
    handler->removed = true;
    for (auto it = hs.begin(); it != hs.end(); ++it) {
        if (it->get() == handler) {
            hs.erase(it);  // may free the record: nothing is touched after this
            return noErr;
        }
    }
    return paramErr;
}

// One dispatch: the handlers that want the event, in calling order, kept alive while it runs.
struct OpaqueEventHandlerCallRef {
    std::vector<std::shared_ptr<OpaqueEventHandlerRef>> chain;
    size_t next = 0;
};

namespace {

OSStatus RunChain(OpaqueEventHandlerCallRef& call, EventRef e)
{
    while (call.next < call.chain.size()) {
        auto& h = call.chain[call.next++];
        if (h->removed) continue;
        if (h->objectClass && !h->objectClass->registered) continue;
        OSStatus r = h->proc(&call, e, h->userData);
        if (r != eventNotHandledErr) return r;
    }
    return eventNotHandledErr;
}

}  // namespace

OSStatus CallNextEventHandler(EventHandlerCallRef callRef, EventRef e)
{
    if (!callRef || !e) return paramErr;
    return RunChain(*callRef, e);
}

OSStatus SendEventToEventTargetWithOptions(EventRef e, EventTargetRef target, EventTargetOptions options)
{
    if (!e || !target) return paramErr;
    OpaqueEventHandlerCallRef call;
    for (EventTargetRef t = target; t; t = t->Parent()) {
        for (auto& h : t->handlers)
            if (!h->removed && h->Wants(e->eventClass, e->kind)) call.chain.push_back(h);
        if (options & kEventTargetDontPropagate) break;
    }
    RetainEvent(e);
    OSStatus r = RunChain(call, e);
    ReleaseEvent(e);
    return r;
}

OSStatus SendEventToEventTarget(EventRef e, EventTargetRef target)
{
    return SendEventToEventTargetWithOptions(e, target, 0);
}

namespace desktop {

EventRef MakeEvent(UInt32 cls, UInt32 kind)
{
    EventRef e = nullptr;
    CreateEvent(nullptr, cls, kind, 0, kEventAttributeNone, &e);
    return e;
}

void SetParam(EventRef e, EventParamName n, EventParamType t, ByteCount size, const void* data)
{
    SetEventParameter(e, n, t, size, data);
}

OSStatus SendAndRelease(EventRef e, EventTargetRef target)
{
    OSStatus r = SendEventToEventTarget(e, target);
    ReleaseEvent(e);
    return r;
}

}  // namespace desktop
