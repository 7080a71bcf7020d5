// One of a unit's five scopes: a numbered list of owned elements.
#pragma once

#include <memory>
#include <vector>

#include "framework/AUElementCreator.h"
#include "framework/AUIOElement.h"
#include "platform/cf/CFDictionary.h"

class AUScope {
public:
    AUScope() = default;
    AUScope(const AUScope&) = delete;
    AUScope& operator=(const AUScope&) = delete;

    void Initialize(AUElementCreator* creator, AudioUnitScope scope, UInt32 numElements);
    AudioUnitScope GetScope() const { return mScope; }

    UInt32 GetNumberOfElements() const { return UInt32(mElements.size()); }
    AUElement* GetElement(UInt32 index) const { return index < mElements.size() ? mElements[index].get() : nullptr; }
    AUElement* SafeGetElement(UInt32 index) const  // throws kAudioUnitErr_InvalidElement
    {
        if (AUElement* e = GetElement(index)) return e;
        throw SInt32(kAudioUnitErr_InvalidElement);
    }
    AUIOElement* GetIOElement(UInt32 index) const;  // throws kAudioUnitErr_InvalidElement
    void SetNumberOfElements(UInt32 numElements);

    bool HasElementWithName() const;
    void AddElementNamesToDict(CFMutableDictionaryRef names) const;
    // Applies a scope's name dictionary; true when elements had to be added. Throws
    // kAudioUnitErr_InvalidPropertyValue (before any change) for a key that is not a decimal
    // element number from 0 to kMaxRestoredElement, or a value that is not a string.
    bool RestoreElementNames(CFDictionaryRef& scopeNames);

    static constexpr int kMaxRestoredElement = 1023;

private:
    AUElementCreator* mCreator = nullptr;
    AudioUnitScope mScope = 0;
    std::vector<std::unique_ptr<AUElement>> mElements;
};
