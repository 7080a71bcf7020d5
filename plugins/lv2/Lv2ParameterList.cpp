#include "plugins/lv2/Lv2ParameterList.h"

#include <cmath>
#include <cstring>
#include <set>

#include "engine/FlummelParameters.h"
#include "platform/audio/AudioUnitCalls.h"
#include "platform/cf/CFArray.h"
#include "platform/cf/CFString.h"

namespace {

std::string Utf8(CFStringRef s)
{
    if (!s) return {};
    if (const char* p = CFStringGetCStringPtr(s, kCFStringEncodingUTF8)) return p;
    const CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8) + 1;
    std::string text(size_t(size), '\0');
    if (!CFStringGetCString(s, text.data(), size, kCFStringEncodingUTF8)) return {};
    text.resize(text.find('\0'));
    return text;
}

// A parameter without value strings may still report the property's size, so only a
// successful read counts.
void ReadValueStrings(AudioUnit unit, Lv2ParameterList::Parameter& p)
{
    CFArrayRef strings = nullptr;
    UInt32 size = sizeof strings;
    if (AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, p.id, &strings,
                             &size) != noErr ||
        !strings)
        return;
    for (CFIndex i = 0; i < CFArrayGetCount(strings); ++i)
        p.valueStrings.push_back(Utf8(static_cast<CFStringRef>(CFArrayGetValueAtIndex(strings, i))));
    CFRelease(strings);
}

void ReadNamedValues(AudioUnit unit, Lv2ParameterList::Parameter& p)
{
    for (float v = std::ceil(p.minValue); v <= p.maxValue; v += 1.f) {
        AudioUnitParameterStringFromValue record{p.id, &v, nullptr};
        UInt32 size = sizeof record;
        if (AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0,
                                 &record, &size) != noErr ||
            !record.outString)
            continue;
        p.namedValues.emplace_back(v, Utf8(record.outString));
        CFRelease(record.outString);
    }
}

}  // namespace

std::string Lv2ParameterList::Symbol(std::string_view name)
{
    std::string symbol;
    bool gap = false;
    for (char c : name) {
        const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum) {
            gap = !symbol.empty();
            continue;
        }
        if (gap) symbol += '_';
        gap = false;
        symbol += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    if (symbol.empty() || (symbol[0] >= '0' && symbol[0] <= '9')) symbol.insert(0, "p_");
    return symbol;
}

OSStatus Lv2ParameterList::Fetch(AudioUnit unit)
{
    mParameters.clear();
    UInt32 size = 0;
    Boolean writable = false;
    OSStatus result =
        AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, &size, &writable);
    if (result != noErr) return result;
    std::vector<AudioUnitParameterID> ids(size / sizeof(AudioUnitParameterID));
    if (!ids.empty()) {
        result = AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, ids.data(),
                                      &size);
        if (result != noErr) return result;
    }

    std::set<std::string> symbols;
    for (AudioUnitParameterID id : ids) {
        AudioUnitParameterInfo info{};
        size = sizeof info;
        result = AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, &info, &size);
        if (result != noErr) return result;

        Parameter p;
        p.id = id;
        if ((info.flags & kAudioUnitParameterFlag_HasCFNameString) && info.cfNameString) {
            p.name = Utf8(info.cfNameString);
            if (info.flags & kAudioUnitParameterFlag_CFNameRelease) CFRelease(info.cfNameString);
        } else {
            p.name.assign(info.name, strnlen(info.name, sizeof info.name));
        }
        p.symbol = Symbol(p.name);
        p.unit = info.unit;
        p.minValue = info.minValue;
        p.maxValue = info.maxValue;
        p.defaultValue = info.defaultValue;
        p.trigger = id == kParam_ReSync || id == kParam_LfoReSync;
        ReadValueStrings(unit, p);
        if (info.flags & kAudioUnitParameterFlag_ValuesHaveStrings) ReadNamedValues(unit, p);
        if (!symbols.insert(p.symbol).second) return kAudioUnitErr_InvalidPropertyValue;
        mParameters.push_back(std::move(p));
    }
    return noErr;
}
