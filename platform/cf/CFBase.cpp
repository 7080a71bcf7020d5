#include "platform/cf/CFObject.h"

namespace {
std::atomic<long> gLiveObjects{0};
}

const CFAllocatorRef kCFAllocatorDefault = nullptr;
const CFAllocatorRef kCFAllocatorNull = nullptr;

CFObject::CFObject(CFTypeID t, bool isImmortal) : typeID(t), immortal(isImmortal)
{
    if (!immortal) gLiveObjects.fetch_add(1, std::memory_order_relaxed);
}

CFObject::~CFObject()
{
    if (!immortal) gLiveObjects.fetch_sub(1, std::memory_order_relaxed);
}

std::string CFObject::Describe() const
{
    return "<object " + std::to_string(typeID) + ">";
}

std::string CFDescribe(CFTypeRef ref)
{
    return ref ? static_cast<const CFObject*>(ref)->Describe() : "(null)";
}

// Null references are ignored: these calls also see references read from untrusted files.
CFTypeRef CFRetain(CFTypeRef cf)
{
    if (auto* o = static_cast<const CFObject*>(cf); o && !o->immortal)
        const_cast<CFObject*>(o)->refCount.fetch_add(1, std::memory_order_relaxed);
    return cf;
}

void CFRelease(CFTypeRef cf)
{
    auto* o = const_cast<CFObject*>(static_cast<const CFObject*>(cf));
    if (!o || o->immortal) return;
    if (o->refCount.fetch_sub(1, std::memory_order_acq_rel) == 1) delete o;
}

CFIndex CFGetRetainCount(CFTypeRef cf)
{
    auto* o = static_cast<const CFObject*>(cf);
    if (!o) return 0;
    return o->immortal ? CFIndex(0x7fffffff) : o->refCount.load(std::memory_order_relaxed);
}

CFTypeID CFGetTypeID(CFTypeRef cf)
{
    return cf ? static_cast<const CFObject*>(cf)->typeID : 0;
}

Boolean CFEqual(CFTypeRef a, CFTypeRef b)
{
    if (a == b) return true;
    if (!a || !b) return false;
    auto* x = static_cast<const CFObject*>(a);
    auto* y = static_cast<const CFObject*>(b);
    return x->typeID == y->typeID && x->Equals(*y);
}

CFHashCode CFHash(CFTypeRef cf)
{
    return cf ? static_cast<const CFObject*>(cf)->Hash() : 0;
}

long CFLiveObjectCount()
{
    return gLiveObjects.load(std::memory_order_relaxed);
}
