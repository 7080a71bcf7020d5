// The class-info dictionary: saving and restoring parameters, preset name and element names.
//
// Restores treat the dictionary as untrusted: every key is type-checked before anything
// changes (-10851), a blob record whose count or pairs run past the end of the blob fails the
// restore with -10851 (earlier records stay applied), and element-name keys must be decimal
// element numbers up to AUScope::kMaxRestoredElement.
#include <cstdio>
#include <cstring>

#include "framework/AUBase.h"
#include "platform/cf/CFData.h"
#include "platform/cf/CFDictionary.h"
#include "platform/cf/CFNumber.h"
#include "platform/cf/CFString.h"

namespace {

void AddNumToDictionary(CFMutableDictionaryRef dict, CFStringRef key, SInt32 value)
{
    const CFRef<CFNumberRef> number(CFNumberCreate(nullptr, kCFNumberSInt32Type, &value));
    CFDictionarySetValue(dict, key, number);
}

void AppendBigEndian(CFMutableDataRef data, UInt32 v)
{
    const UInt8 b[4] = {UInt8(v >> 24), UInt8(v >> 16), UInt8(v >> 8), UInt8(v)};
    CFDataAppendBytes(data, b, 4);
}

UInt32 ReadBigEndian(const UInt8* p)
{
    return (UInt32(p[0]) << 24) | (UInt32(p[1]) << 16) | (UInt32(p[2]) << 8) | UInt32(p[3]);
}

// The value under key when it has the given type; null when absent. Throws -10851 when present
// with another type.
const void* TypedValue(CFDictionaryRef dict, CFStringRef key, CFTypeID type)
{
    const void* value = CFDictionaryGetValue(dict, key);
    if (value && CFGetTypeID(value) != type) throw SInt32(kAudioUnitErr_InvalidPropertyValue);
    return value;
}

bool NumberEquals(CFDictionaryRef dict, CFStringRef key, SInt32 expected)
{
    auto number = static_cast<CFNumberRef>(TypedValue(dict, key, CFNumberGetTypeID()));
    SInt32 value = 0;
    return number && CFNumberGetValue(number, kCFNumberSInt32Type, &value) && value == expected;
}

}  // namespace

OSStatus AUBase::SaveState(CFPropertyListRef* outData)
{
    ComponentDescription desc{};
    const OSErr err = GetComponentInfo(GetComponentInstance(), &desc);
    if (err != noErr) return err;

    CFRef<CFMutableDictionaryRef> dict(
        CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
    AddNumToDictionary(dict, CFSTR("version"), 0);
    AddNumToDictionary(dict, CFSTR("type"), SInt32(desc.componentType));
    AddNumToDictionary(dict, CFSTR("subtype"), SInt32(desc.componentSubType));
    AddNumToDictionary(dict, CFSTR("manufacturer"), SInt32(desc.componentManufacturer));

    const CFRef<CFMutableDataRef> data(CFDataCreateMutable(nullptr, 0));
    for (AudioUnitScope s = kAudioUnitScope_Global; s <= kAudioUnitScope_Output; ++s) {
        AUScope& scope = mScopes[s];
        for (UInt32 e = 0; e < scope.GetNumberOfElements(); ++e) {
            AUElement* element = scope.GetElement(e);
            if (!element || element->GetNumberOfParameters() == 0) continue;
            AppendBigEndian(data, s);
            AppendBigEndian(data, e);
            element->SaveState(data);
        }
    }
    CFDictionarySetValue(dict, CFSTR("data"), data);

    CFDictionarySetValue(dict, CFSTR("name"), mCurrentPreset.presetName);

    SInt32 renderQuality = 0;
    if (DispatchGetProperty(kAudioUnitProperty_RenderQuality, kAudioUnitScope_Global, 0, &renderQuality) == noErr)
        AddNumToDictionary(dict, CFSTR("render-quality"), renderQuality);

    Float32 cpuLoad = 0;
    if (DispatchGetProperty(kAudioUnitProperty_CPULoad, kAudioUnitScope_Global, 0, &cpuLoad) == noErr) {
        const CFRef<CFNumberRef> number(CFNumberCreate(nullptr, kCFNumberFloat32Type, &cpuLoad));
        CFDictionarySetValue(dict, CFSTR("cpu-load"), number);
    }

    bool anyNamed = false;
    for (const AUScope& scope : mScopes) anyNamed = anyNamed || scope.HasElementWithName();
    if (anyNamed) {
        const CFRef<CFMutableDictionaryRef> names(
            CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
        for (const AUScope& scope : mScopes) scope.AddElementNamesToDict(names);
        CFDictionarySetValue(dict, CFSTR("element-name"), names);
    }

    *outData = dict.release();  // the caller owns the saved state
    return noErr;
}

OSStatus AUBase::RestoreState(CFPropertyListRef inData)
{
    if (!inData || CFGetTypeID(inData) != CFDictionaryGetTypeID()) return kAudioUnitErr_InvalidPropertyValue;
    auto dict = static_cast<CFDictionaryRef>(inData);

    ComponentDescription desc{};
    const OSErr err = GetComponentInfo(GetComponentInstance(), &desc);
    if (err != noErr) return err;

    if (CFDictionaryContainsKey(dict, CFSTR("part"))) return kAudioUnitErr_InvalidPropertyValue;
    if (!NumberEquals(dict, CFSTR("version"), 0)) return kAudioUnitErr_InvalidPropertyValue;
    if (!NumberEquals(dict, CFSTR("subtype"), SInt32(desc.componentSubType))) return kAudioUnitErr_InvalidPropertyValue;
    if (!NumberEquals(dict, CFSTR("manufacturer"), SInt32(desc.componentManufacturer)))
        return kAudioUnitErr_InvalidPropertyValue;

    auto data = static_cast<CFDataRef>(TypedValue(dict, CFSTR("data"), CFDataGetTypeID()));
    auto name = static_cast<CFStringRef>(TypedValue(dict, CFSTR("name"), CFStringGetTypeID()));
    auto renderQuality = static_cast<CFNumberRef>(TypedValue(dict, CFSTR("render-quality"), CFNumberGetTypeID()));
    auto cpuLoad = static_cast<CFNumberRef>(TypedValue(dict, CFSTR("cpu-load"), CFNumberGetTypeID()));
    auto elementNames = static_cast<CFDictionaryRef>(TypedValue(dict, CFSTR("element-name"), CFDictionaryGetTypeID()));

    if (data) {
        const UInt8* p = CFDataGetBytePtr(data);
        const UInt8* end = p + CFDataGetLength(data);
        while (p < end) {
            if (end - p < 8) return kAudioUnitErr_InvalidPropertyValue;
            const UInt32 scope = ReadBigEndian(p);
            const UInt32 element = ReadBigEndian(p + 4);
            p += 8;
            AUElement* e = GetScope(scope).GetElement(element);
            if (!e) break;
            p = e->RestoreState(p, end);
        }
    }

    mCurrentPresetName = CFRef<CFStringRef>::Retained(name ? name : CFSTR("Untitled"));
    mCurrentPreset.presetName = mCurrentPresetName;
    mCurrentPreset.presetNumber = -1;
    PropertyChanged(kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global, 0);
    PropertyChanged(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0);

    if (renderQuality) {
        SInt32 value = 0;
        CFNumberGetValue(renderQuality, kCFNumberSInt32Type, &value);
        DispatchSetProperty(kAudioUnitProperty_RenderQuality, kAudioUnitScope_Global, 0, &value, sizeof value);
    }
    if (cpuLoad) {
        Float32 value = 0;
        CFNumberGetValue(cpuLoad, kCFNumberFloat32Type, &value);
        DispatchSetProperty(kAudioUnitProperty_CPULoad, kAudioUnitScope_Global, 0, &value, sizeof value);
    }

    if (elementNames) {
        char key[16];
        for (AudioUnitScope s = 0; s < kNumScopes; ++s) {
            std::snprintf(key, sizeof key, "%d", int(s));
            const CFRef<CFStringRef> keyString(CFStringCreateWithCString(nullptr, key, kCFStringEncodingASCII));
            const void* scopeNames = CFDictionaryGetValue(elementNames, keyString);
            if (!scopeNames) continue;
            if (CFGetTypeID(scopeNames) != CFDictionaryGetTypeID()) return kAudioUnitErr_InvalidPropertyValue;
            auto names = static_cast<CFDictionaryRef>(scopeNames);
            if (mScopes[s].RestoreElementNames(names))
                PropertyChanged(kAudioUnitProperty_ElementCount, s, 0);
        }
    }
    return noErr;
}
