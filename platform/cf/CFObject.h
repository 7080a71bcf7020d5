// The common base of every reference-counted object (internal to the object layer).
#pragma once

#include <atomic>
#include <string>

#include "platform/cf/CFBase.h"

enum CFTypeIDs : CFTypeID {
    kCFTypeIDString = 7,
    kCFTypeIDNumber = 22,
    kCFTypeIDBoolean = 21,
    kCFTypeIDData = 20,
    kCFTypeIDArray = 19,
    kCFTypeIDDictionary = 18,
};

struct CFObject {
    explicit CFObject(CFTypeID t, bool immortal = false);
    virtual ~CFObject();
    CFObject(const CFObject&) = delete;
    CFObject& operator=(const CFObject&) = delete;

    virtual bool Equals(const CFObject& other) const { return this == &other; }
    virtual CFHashCode Hash() const { return CFHashCode(reinterpret_cast<uintptr_t>(this) >> 4); }
    virtual std::string Describe() const;

    const CFTypeID typeID;
    const bool immortal;
    std::atomic<long> refCount{1};
};

// The object behind a reference when it has the given type; null otherwise.
template <class T>
T* CFCast(CFTypeRef ref, CFTypeID type)
{
    auto* o = static_cast<const CFObject*>(ref);
    return o && o->typeID == type ? static_cast<T*>(const_cast<CFObject*>(o)) : nullptr;
}

std::string CFDescribe(CFTypeRef ref);
