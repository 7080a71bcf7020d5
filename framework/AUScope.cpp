#include "framework/AUScope.h"

#include <cstdio>
#include <cstdlib>

#include "platform/cf/CFString.h"

void AUScope::Initialize(AUElementCreator* creator, AudioUnitScope scope, UInt32 numElements)
{
    mCreator = creator;
    mScope = scope;
    SetNumberOfElements(numElements);
}

AUIOElement* AUScope::GetIOElement(UInt32 index) const
{
    auto* io = dynamic_cast<AUIOElement*>(GetElement(index));
    if (!io) throw SInt32(kAudioUnitErr_InvalidElement);
    return io;
}

void AUScope::SetNumberOfElements(UInt32 numElements)
{
    if (numElements > mElements.size()) {
        mElements.reserve(numElements);
        for (UInt32 i = UInt32(mElements.size()); i < numElements; ++i)
            mElements.emplace_back(mCreator->CreateElement(mScope, i));
    } else {
        while (mElements.size() > numElements) mElements.pop_back();
    }
}

bool AUScope::HasElementWithName() const
{
    for (const auto& e : mElements)
        if (e && e->HasName()) return true;
    return false;
}

void AUScope::AddElementNamesToDict(CFMutableDictionaryRef names) const
{
    if (!HasElementWithName()) return;
    const CFRef<CFMutableDictionaryRef> scopeNames(
        CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
    char key[16];
    for (UInt32 i = 0; i < mElements.size(); ++i) {
        if (!mElements[i] || !mElements[i]->HasName()) continue;
        std::snprintf(key, sizeof key, "%d", int(i));
        const CFRef<CFStringRef> keyString(CFStringCreateWithCString(nullptr, key, kCFStringEncodingASCII));
        CFDictionarySetValue(scopeNames, keyString, mElements[i]->GetName());
    }
    std::snprintf(key, sizeof key, "%d", int(mScope));
    const CFRef<CFStringRef> scopeKey(CFStringCreateWithCString(nullptr, key, kCFStringEncodingASCII));
    CFDictionarySetValue(names, scopeKey, scopeNames);
}

namespace {

// A decimal element number in [0, limit], or -1.
int ParseElementKey(const void* key, int limit)
{
    if (!key || CFGetTypeID(key) != CFStringGetTypeID()) return -1;
    char text[33];
    if (!CFStringGetCString(static_cast<CFStringRef>(key), text, sizeof text, kCFStringEncodingASCII)) return -1;
    if (text[0] < '0' || text[0] > '9') return -1;
    char* end = nullptr;
    const long n = std::strtol(text, &end, 10);
    if (*end != '\0' || n > limit) return -1;
    return int(n);
}

}  // namespace

bool AUScope::RestoreElementNames(CFDictionaryRef& scopeNames)
{
    const CFIndex count = CFDictionaryGetCount(scopeNames);
    std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
    CFDictionaryGetKeysAndValues(scopeNames, keys.data(), values.data());

    int maxIndex = 0;
    for (CFIndex i = 0; i < count; ++i) {
        const int index = ParseElementKey(keys[size_t(i)], kMaxRestoredElement);
        if (index < 0 || !values[size_t(i)] || CFGetTypeID(values[size_t(i)]) != CFStringGetTypeID())
            throw SInt32(kAudioUnitErr_InvalidPropertyValue);
        if (index > maxIndex) maxIndex = index;
    }

    bool added = false;
    if (GetNumberOfElements() <= UInt32(maxIndex)) {
        SetNumberOfElements(UInt32(maxIndex) + 1);
        added = true;
    }
    for (CFIndex i = 0; i < count; ++i) {
        const int index = ParseElementKey(keys[size_t(i)], kMaxRestoredElement);
        if (AUElement* e = GetElement(UInt32(index))) e->SetName(static_cast<CFStringRef>(values[size_t(i)]));
    }
    return added;
}
