#include "platform/cf/CFArray.h"

#include <vector>

#include "platform/cf/CFObject.h"

namespace {

const void* RetainValue(CFAllocatorRef, const void* v) { return CFRetain(v); }
void ReleaseValue(CFAllocatorRef, const void* v) { CFRelease(v); }
Boolean EqualValues(const void* a, const void* b) { return CFEqual(a, b); }

struct ArrayObject : CFObject {
    ArrayObject(const CFArrayCallBacks* cb, bool isMutable)
        : CFObject(kCFTypeIDArray), callBacks(cb ? *cb : CFArrayCallBacks{}), mutable_(isMutable)
    {
    }
    ~ArrayObject() override
    {
        if (callBacks.release)
            for (const void* v : values) callBacks.release(nullptr, v);
    }
    bool Equals(const CFObject& o) const override
    {
        const auto& a = static_cast<const ArrayObject&>(o);
        if (a.values.size() != values.size()) return false;
        for (size_t i = 0; i < values.size(); ++i) {
            const bool same = callBacks.equal ? callBacks.equal(values[i], a.values[i]) : values[i] == a.values[i];
            if (!same) return false;
        }
        return true;
    }
    CFHashCode Hash() const override { return values.size(); }
    void Append(const void* v) { values.push_back(callBacks.retain ? callBacks.retain(nullptr, v) : v); }

    CFArrayCallBacks callBacks;
    bool mutable_;
    std::vector<const void*> values;
};

ArrayObject* AsArray(CFArrayRef a) { return CFCast<ArrayObject>(a, kCFTypeIDArray); }
ArrayObject* AsMutableArray(CFMutableArrayRef a)
{
    ArrayObject* o = AsArray(a);
    return o && o->mutable_ ? o : nullptr;
}

}  // namespace

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, &RetainValue, &ReleaseValue, nullptr, &EqualValues};

CFTypeID CFArrayGetTypeID() { return kCFTypeIDArray; }

CFArrayRef CFArrayCreate(CFAllocatorRef, const void** values, CFIndex count, const CFArrayCallBacks* callBacks)
{
    if (count < 0 || (!values && count)) return nullptr;
    auto* a = new ArrayObject(callBacks, false);
    for (CFIndex i = 0; i < count; ++i) a->Append(values[i]);
    return reinterpret_cast<CFArrayRef>(a);
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef, CFIndex, const CFArrayCallBacks* callBacks)
{
    return reinterpret_cast<CFMutableArrayRef>(new ArrayObject(callBacks, true));
}

CFIndex CFArrayGetCount(CFArrayRef a)
{
    ArrayObject* o = AsArray(a);
    return o ? CFIndex(o->values.size()) : 0;
}

const void* CFArrayGetValueAtIndex(CFArrayRef a, CFIndex index)
{
    ArrayObject* o = AsArray(a);
    if (!o || index < 0 || size_t(index) >= o->values.size()) return nullptr;
    return o->values[size_t(index)];
}

void CFArrayAppendValue(CFMutableArrayRef a, const void* value)
{
    if (ArrayObject* o = AsMutableArray(a)) o->Append(value);
}

void CFArrayRemoveValueAtIndex(CFMutableArrayRef a, CFIndex index)
{
    ArrayObject* o = AsMutableArray(a);
    if (!o || index < 0 || size_t(index) >= o->values.size()) return;
    const void* v = o->values[size_t(index)];
    o->values.erase(o->values.begin() + index);
    if (o->callBacks.release) o->callBacks.release(nullptr, v);
}

void CFArrayRemoveAllValues(CFMutableArrayRef a)
{
    ArrayObject* o = AsMutableArray(a);
    if (!o) return;
    std::vector<const void*> old;
    old.swap(o->values);
    if (o->callBacks.release)
        for (const void* v : old) o->callBacks.release(nullptr, v);
}
