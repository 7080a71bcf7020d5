// Dictionaries keep their entries in insertion order; lookups are linear, which suits the
// small dictionaries of saved states and preferences.
#include "platform/cf/CFDictionary.h"

#include <vector>

#include "platform/cf/CFObject.h"

namespace {

const void* RetainValue(CFAllocatorRef, const void* v) { return CFRetain(v); }
void ReleaseValue(CFAllocatorRef, const void* v) { CFRelease(v); }
Boolean EqualValues(const void* a, const void* b) { return CFEqual(a, b); }
CFHashCode HashValue(const void* v) { return CFHash(v); }

struct DictionaryObject : CFObject {
    DictionaryObject(const CFDictionaryKeyCallBacks* k, const CFDictionaryValueCallBacks* v, bool isMutable)
        : CFObject(kCFTypeIDDictionary),
          keyCallBacks(k ? *k : CFDictionaryKeyCallBacks{}),
          valueCallBacks(v ? *v : CFDictionaryValueCallBacks{}),
          mutable_(isMutable)
    {
    }
    ~DictionaryObject() override
    {
        for (auto& e : entries) Drop(e);
    }
    void Drop(const std::pair<const void*, const void*>& e) const
    {
        if (keyCallBacks.release) keyCallBacks.release(nullptr, e.first);
        if (valueCallBacks.release) valueCallBacks.release(nullptr, e.second);
    }
    bool KeysEqual(const void* a, const void* b) const { return keyCallBacks.equal ? keyCallBacks.equal(a, b) : a == b; }
    long Find(const void* key) const
    {
        for (size_t i = 0; i < entries.size(); ++i)
            if (KeysEqual(entries[i].first, key)) return long(i);
        return -1;
    }
    void Set(const void* key, const void* value)
    {
        const void* v = valueCallBacks.retain ? valueCallBacks.retain(nullptr, value) : value;
        const long i = Find(key);
        if (i >= 0) {
            const void* old = entries[size_t(i)].second;
            entries[size_t(i)].second = v;
            if (valueCallBacks.release) valueCallBacks.release(nullptr, old);
            return;
        }
        entries.emplace_back(keyCallBacks.retain ? keyCallBacks.retain(nullptr, key) : key, v);
    }
    bool Equals(const CFObject& o) const override
    {
        const auto& d = static_cast<const DictionaryObject&>(o);
        if (d.entries.size() != entries.size()) return false;
        for (const auto& e : entries) {
            const long i = d.Find(e.first);
            if (i < 0) return false;
            const void* other = d.entries[size_t(i)].second;
            const bool same = valueCallBacks.equal ? valueCallBacks.equal(e.second, other) : e.second == other;
            if (!same) return false;
        }
        return true;
    }
    CFHashCode Hash() const override { return entries.size(); }

    CFDictionaryKeyCallBacks keyCallBacks;
    CFDictionaryValueCallBacks valueCallBacks;
    bool mutable_;
    std::vector<std::pair<const void*, const void*>> entries;
};

DictionaryObject* AsDictionary(CFDictionaryRef d) { return CFCast<DictionaryObject>(d, kCFTypeIDDictionary); }
DictionaryObject* AsMutableDictionary(CFMutableDictionaryRef d)
{
    DictionaryObject* o = AsDictionary(d);
    return o && o->mutable_ ? o : nullptr;
}

}  // namespace

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {0, &RetainValue, &ReleaseValue, nullptr,
                                                                &EqualValues, &HashValue};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {0, &RetainValue, &ReleaseValue, nullptr,
                                                                    &EqualValues};

CFTypeID CFDictionaryGetTypeID() { return kCFTypeIDDictionary; }

CFDictionaryRef CFDictionaryCreate(CFAllocatorRef, const void** keys, const void** values, CFIndex count,
                                   const CFDictionaryKeyCallBacks* keyCallBacks,
                                   const CFDictionaryValueCallBacks* valueCallBacks)
{
    if (count < 0 || (count && (!keys || !values))) return nullptr;
    auto* d = new DictionaryObject(keyCallBacks, valueCallBacks, false);
    for (CFIndex i = 0; i < count; ++i) d->Set(keys[i], values[i]);
    return reinterpret_cast<CFDictionaryRef>(d);
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex, const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks)
{
    return reinterpret_cast<CFMutableDictionaryRef>(new DictionaryObject(keyCallBacks, valueCallBacks, true));
}

CFIndex CFDictionaryGetCount(CFDictionaryRef d)
{
    DictionaryObject* o = AsDictionary(d);
    return o ? CFIndex(o->entries.size()) : 0;
}

const void* CFDictionaryGetValue(CFDictionaryRef d, const void* key)
{
    DictionaryObject* o = AsDictionary(d);
    if (!o) return nullptr;
    const long i = o->Find(key);
    return i >= 0 ? o->entries[size_t(i)].second : nullptr;
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef d, const void* key, const void** value)
{
    DictionaryObject* o = AsDictionary(d);
    if (!o) return false;
    const long i = o->Find(key);
    if (i < 0) return false;
    if (value) *value = o->entries[size_t(i)].second;
    return true;
}

Boolean CFDictionaryContainsKey(CFDictionaryRef d, const void* key)
{
    DictionaryObject* o = AsDictionary(d);
    return o && o->Find(key) >= 0;
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef d, const void** keys, const void** values)
{
    DictionaryObject* o = AsDictionary(d);
    if (!o) return;
    for (size_t i = 0; i < o->entries.size(); ++i) {
        if (keys) keys[i] = o->entries[i].first;
        if (values) values[i] = o->entries[i].second;
    }
}

void CFDictionarySetValue(CFMutableDictionaryRef d, const void* key, const void* value)
{
    if (DictionaryObject* o = AsMutableDictionary(d)) o->Set(key, value);
}

void CFDictionaryAddValue(CFMutableDictionaryRef d, const void* key, const void* value)
{
    if (DictionaryObject* o = AsMutableDictionary(d); o && o->Find(key) < 0) o->Set(key, value);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef d, const void* key)
{
    DictionaryObject* o = AsMutableDictionary(d);
    if (!o) return;
    const long i = o->Find(key);
    if (i < 0) return;
    const auto e = o->entries[size_t(i)];
    o->entries.erase(o->entries.begin() + i);
    o->Drop(e);
}
