#include "host/flummel/EffectParameters.h"

#include <cctype>
#include <cstdio>

#include "host/flummel/CliError.h"
#include "host/flummel/RenderOptions.h"
#include "platform/cf/CFArray.h"
#include "platform/cf/CFString.h"

namespace {

std::string Key(const std::string& s)
{
    std::string k;
    for (unsigned char c : s) {
        if (c == ' ' || c == '-' || c == '_') continue;
        k += char(std::tolower(c));
    }
    return k;
}

std::string CString(CFStringRef s)
{
    char buffer[256];
    if (!s || !CFStringGetCString(s, buffer, sizeof buffer, kCFStringEncodingUTF8)) return "";
    return buffer;
}

std::string Format(float v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", double(v));
    return buffer;
}

}  // namespace

EffectParameters::EffectParameters(AudioUnit unit)
{
    UInt32 size = 0;
    Boolean writable = false;
    OSStatus err = AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0,
                                            &size, &writable);
    std::vector<AudioUnitParameterID> ids(size / sizeof(AudioUnitParameterID));
    if (err == noErr && size)
        err = AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, ids.data(),
                                   &size);
    if (err != noErr) throw CliError::Effect("reading the parameter list", err);

    for (AudioUnitParameterID id : ids) {
        AudioUnitParameterInfo info{};
        UInt32 infoSize = sizeof info;
        err = AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, &info,
                                   &infoSize);
        if (err != noErr) throw CliError::Effect("reading parameter " + std::to_string(id), err);
        EffectParameter p;
        p.id = id;
        p.name = (info.flags & kAudioUnitParameterFlag_HasCFNameString) ? CString(info.cfNameString) : info.name;
        if ((info.flags & kAudioUnitParameterFlag_CFNameRelease) && info.cfNameString) CFRelease(info.cfNameString);
        p.unit = info.unit;
        p.minValue = info.minValue;
        p.maxValue = info.maxValue;
        p.defaultValue = info.defaultValue;
        if (info.unit == kAudioUnitParameterUnit_Indexed) {
            CFRef<CFArrayRef> strings;
            UInt32 arraySize = sizeof(CFArrayRef);
            if (AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, id,
                                     strings.adopt(), &arraySize) == noErr &&
                strings) {
                for (CFIndex i = 0; i < CFArrayGetCount(strings); ++i)
                    p.valueStrings.push_back(CString(static_cast<CFStringRef>(CFArrayGetValueAtIndex(strings, i))));
            }
        }
        mParameters.push_back(std::move(p));
    }
}

const EffectParameter& EffectParameters::Find(const std::string& nameOrId) const
{
    const std::string key = Key(nameOrId);
    for (const EffectParameter& p : mParameters)
        if (Key(p.name) == key) return p;
    if (!nameOrId.empty() && nameOrId.find_first_not_of("0123456789") == std::string::npos)
        for (const EffectParameter& p : mParameters)
            if (std::to_string(p.id) == nameOrId) return p;
    throw CliError("unknown parameter '" + nameOrId + "' (flummel params lists them)");
}

float EffectParameters::ParseValue(const EffectParameter& p, const std::string& text)
{
    for (size_t i = 0; i < p.valueStrings.size(); ++i)
        if (Key(p.valueStrings[i]) == Key(text)) return p.minValue + float(i);
    const double v = ParseNumber(text, p.name);
    if (v < double(p.minValue) || v > double(p.maxValue))
        throw CliError(p.name + ": " + text + " is outside " + Format(p.minValue) + " to " + Format(p.maxValue));
    return float(v);
}

const char* UnitName(AudioUnitParameterUnit unit)
{
    switch (unit) {
    case kAudioUnitParameterUnit_Indexed: return "Indexed";
    case kAudioUnitParameterUnit_Boolean: return "Boolean";
    case kAudioUnitParameterUnit_Percent: return "Percent";
    case kAudioUnitParameterUnit_Seconds: return "Seconds";
    case kAudioUnitParameterUnit_Hertz: return "Hertz";
    case kAudioUnitParameterUnit_Decibels: return "Decibels";
    case kAudioUnitParameterUnit_LinearGain:
    case kAudioUnitParameterUnit_MixerFaderCurve1: return "Gain";
    case kAudioUnitParameterUnit_Beats: return "Beats";
    case kAudioUnitParameterUnit_Milliseconds: return "Milliseconds";
    case kAudioUnitParameterUnit_Ratio: return "Ratio";
    default: return "Generic";
    }
}
