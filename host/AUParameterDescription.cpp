#include "host/AUParameterDescription.h"

#include <cstring>

#include "platform/cf/CFArray.h"
#include "platform/cf/CFString.h"

namespace {

// A parameter without value strings may still report the property's size, so only a
// successful read counts.
void ReadValueStrings(AudioUnit unit, AUParameterDescription& p)
{
    CFRef<CFArrayRef> strings;
    UInt32 size = sizeof(CFArrayRef);
    if (AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, p.id,
                             strings.adopt(), &size) != noErr ||
        !strings)
        return;
    for (CFIndex i = 0; i < CFArrayGetCount(strings); ++i)
        p.valueStrings.push_back(CFStringToUTF8(static_cast<CFStringRef>(CFArrayGetValueAtIndex(strings, i))));
}

}  // namespace

OSStatus AUParameterDescription::ReadAll(AudioUnit unit, std::vector<AUParameterDescription>& out)
{
    out.clear();
    UInt32 size = 0;
    Boolean writable = false;
    OSStatus result =
        AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, &size, &writable);
    if (result != noErr) return result;
    std::vector<AudioUnitParameterID> ids(size / sizeof(AudioUnitParameterID));
    if (!ids.empty() && (result = AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global,
                                                       0, ids.data(), &size)) != noErr)
        return result;

    for (AudioUnitParameterID id : ids) {
        AudioUnitParameterInfo info{};
        size = sizeof info;
        result = AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, &info, &size);
        if (result != noErr) return result;
        AUParameterDescription p;
        p.id = id;
        if ((info.flags & kAudioUnitParameterFlag_HasCFNameString) && info.cfNameString) {
            p.name = CFStringToUTF8(info.cfNameString);
            if (info.flags & kAudioUnitParameterFlag_CFNameRelease) CFRelease(info.cfNameString);
        } else {
            p.name.assign(info.name, strnlen(info.name, sizeof info.name));
        }
        p.unit = info.unit;
        p.minValue = info.minValue;
        p.maxValue = info.maxValue;
        p.defaultValue = info.defaultValue;
        p.flags = info.flags;
        ReadValueStrings(unit, p);
        out.push_back(std::move(p));
    }
    return noErr;
}
