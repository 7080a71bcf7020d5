// The component registry and instances.
//
// Registration and open/close take a mutex (control threads only). Calls into an instance do
// not: the instance handle is the record itself, checked by a magic word, so that render calls
// from the audio thread neither lock nor allocate. A closed handle's record is marked dead
// and kept for reuse by a later open rather than freed, so a late call on it fails cleanly
// instead of touching freed memory.
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio/Components.h"

struct ComponentRecord {
    ComponentDescription desc;
    ComponentRoutine entry;
    std::string name;
    bool registered;
};

struct ComponentInstanceRecord {
    static constexpr UInt32 kAlive = 0x4C697665;  // 'Live'
    static constexpr UInt32 kDead = 0x44656164;   // 'Dead'
    UInt32 magic;
    Component component;
    void* storage;
};

namespace {

std::mutex& RegistryMutex()
{
    static std::mutex m;
    return m;
}

std::vector<ComponentRecord*>& Registry()
{
    static auto* r = new std::vector<ComponentRecord*>;  // records live for the process
    return *r;
}

bool Matches(const ComponentDescription& have, const ComponentDescription& want)
{
    if (want.componentType && want.componentType != have.componentType) return false;
    if (want.componentSubType && want.componentSubType != have.componentSubType) return false;
    if (want.componentManufacturer && want.componentManufacturer != have.componentManufacturer) return false;
    return (have.componentFlags & want.componentFlagsMask) == (want.componentFlags & want.componentFlagsMask);
}

std::vector<ComponentInstanceRecord*>& DeadInstances()
{
    static auto* d = new std::vector<ComponentInstanceRecord*>;  // never destroyed: stays reachable
    return *d;
}

ComponentInstanceRecord* NewInstance(Component c)
{
    std::lock_guard<std::mutex> lock(RegistryMutex());
    auto& dead = DeadInstances();
    if (dead.empty()) dead.push_back(new ComponentInstanceRecord{});
    ComponentInstanceRecord* ci = dead.back();
    dead.pop_back();
    *ci = ComponentInstanceRecord{ComponentInstanceRecord::kAlive, c, nullptr};
    return ci;
}

void RetireInstance(ComponentInstanceRecord* ci)
{
    std::lock_guard<std::mutex> lock(RegistryMutex());
    ci->magic = ComponentInstanceRecord::kDead;
    ci->storage = nullptr;
    DeadInstances().push_back(ci);
}

bool IsLive(ComponentInstance ci) { return ci && ci->magic == ComponentInstanceRecord::kAlive; }

}  // namespace

Component RegisterComponent(const ComponentDescription& desc, ComponentRoutine entry, const char* name)
{
    if (!entry) return nullptr;
    std::lock_guard<std::mutex> lock(RegistryMutex());
    auto* c = new ComponentRecord{desc, entry, name ? name : "", true};
    Registry().push_back(c);
    return c;
}

void UnregisterComponent(Component c)
{
    std::lock_guard<std::mutex> lock(RegistryMutex());
    if (c) c->registered = false;
}

Component FindNextComponent(Component previous, const ComponentDescription* looking)
{
    std::lock_guard<std::mutex> lock(RegistryMutex());
    const auto& r = Registry();
    size_t i = 0;
    if (previous) {
        while (i < r.size() && r[i] != previous) ++i;
        ++i;
    }
    const ComponentDescription any{};
    for (; i < r.size(); ++i)
        if (r[i]->registered && Matches(r[i]->desc, looking ? *looking : any)) return r[i];
    return nullptr;
}

OSErr OpenAComponent(Component c, ComponentInstance* out)
{
    if (!out) return paramErr;
    *out = nullptr;
    if (!c || !c->registered) return invalidComponentID;
    ComponentInstanceRecord* ci = NewInstance(c);
    const ComponentResult result = CallComponent(ci, kComponentOpenSelect, ci);
    if (result != noErr) {
        RetireInstance(ci);
        return OSErr(result);
    }
    *out = ci;
    return noErr;
}

ComponentInstance OpenComponent(Component c)
{
    ComponentInstance ci = nullptr;
    return OpenAComponent(c, &ci) == noErr ? ci : nullptr;
}

OSErr CloseComponent(ComponentInstance ci)
{
    if (!IsLive(ci)) return invalidComponentID;
    const ComponentResult result = CallComponent(ci, kComponentCloseSelect, ci);
    RetireInstance(ci);
    return OSErr(result);
}

void* GetComponentInstanceStorage(ComponentInstance ci)
{
    return IsLive(ci) ? ci->storage : nullptr;
}

void SetComponentInstanceStorage(ComponentInstance ci, void* storage)
{
    if (IsLive(ci)) ci->storage = storage;
}

OSErr GetComponentInfo(Component c, ComponentDescription* desc, const char** name)
{
    if (!c) return invalidComponentID;
    if (desc) *desc = c->desc;
    if (name) *name = c->name.c_str();
    return noErr;
}

OSErr GetComponentInfo(ComponentInstance ci, ComponentDescription* desc, const char** name)
{
    if (!IsLive(ci)) return invalidComponentID;
    return GetComponentInfo(ci->component, desc, name);
}

Component GetComponentOfInstance(ComponentInstance ci)
{
    return IsLive(ci) ? ci->component : nullptr;
}

ComponentResult CallComponentWith(ComponentInstance ci, SInt16 selector, int count, const intptr_t* argsInCallOrder)
{
    if (!IsLive(ci)) return invalidComponentID;
    if (count < 0 || count > kMaxComponentParams) return paramErr;
    intptr_t slots[kMaxComponentParams];
    for (int i = 0; i < count; ++i) slots[count - 1 - i] = argsInCallOrder[i];
    return CallComponentWithPayload(ci, selector, slots, size_t(count) * sizeof(intptr_t));
}

ComponentResult CallComponentWithPayload(ComponentInstance ci, SInt16 selector, const void* payload, size_t size)
{
    if (!IsLive(ci)) return invalidComponentID;
    if (size > sizeof(ComponentParameters::params) || size % sizeof(intptr_t) != 0) return paramErr;
    ComponentParameters block;
    block.flags = 0;
    block.paramSize = UInt8(size);
    block.what = selector;
    std::memcpy(block.params, payload, size);
    return ci->component->entry(&block, ci->storage);
}

intptr_t ComponentArg(Float32 v)
{
    UInt32 bits;
    std::memcpy(&bits, &v, sizeof bits);
    return intptr_t(bits);
}

Float32 ComponentArgFloat(intptr_t slot)
{
    const UInt32 bits = UInt32(uintptr_t(slot));
    Float32 v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}
