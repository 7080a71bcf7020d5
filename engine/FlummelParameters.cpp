#include "engine/FlummelParameters.h"

#include <cmath>

#include "engine/FlummelShared.h"
#include "platform/cf/CFArray.h"
#include "platform/cf/CFString.h"

const FlummelParamInfo* astParamInfos()
{
    static const FlummelParamInfo table[kNumParams] = {
        {CFSTR("Delay Time"), kAudioUnitParameterUnit_Seconds, 0.f, TW::kMaxDelayTime, 1.f},
        {CFSTR("Feedback"), kAudioUnitParameterUnit_Percent, 0.f, 100.f, 70.f},
        {CFSTR("Dry Level"), kAudioUnitParameterUnit_MixerFaderCurve1, 0.f, 1.f, 1.f},
        {CFSTR("Effect Level"), kAudioUnitParameterUnit_MixerFaderCurve1, 0.f, 1.f, 1.f},
        {CFSTR("Re-Sync"), kAudioUnitParameterUnit_Boolean, 0.f, 1.f, 0.f},
        {CFSTR("Host Tempo"), kAudioUnitParameterUnit_Boolean, 0.f, 1.f, 0.f},
        {CFSTR("Beats"), kAudioUnitParameterUnit_Beats, 1.f, 128.f, 4.f},
        {CFSTR("Beat Divisor"), kAudioUnitParameterUnit_Indexed, 0.f, 5.f, 2.f},
        {CFSTR("Triplet"), kAudioUnitParameterUnit_Boolean, 0.f, 1.f, 0.f},
        {CFSTR("Filter Cutoff"), kAudioUnitParameterUnit_Hertz, 50.f, 12000.f, 1000.f},
        {CFSTR("Filter Q"), kAudioUnitParameterUnit_Generic, 0.01f, 1.f, 0.1f},
        {CFSTR("Filter Type"), kAudioUnitParameterUnit_Generic, 0.f, 4.f, 0.f},
        {CFSTR("Saturation Amount"), kAudioUnitParameterUnit_Generic, 0.f, 11.f, 0.f},
        {CFSTR("Saturation Shape"), kAudioUnitParameterUnit_Generic, 0.f, 1.f, 1.f},
        {CFSTR("Filter LFO Speed"), kAudioUnitParameterUnit_Hertz, 0.05f, 20.f, 0.2f},
        {CFSTR("Filter LFO Amount"), kAudioUnitParameterUnit_Generic, -3.f, 3.f, 0.f},
        {CFSTR("LFO Re-Sync"), kAudioUnitParameterUnit_Boolean, 0.f, 1.f, 0.f},
        {CFSTR("LFO Host Tempo"), kAudioUnitParameterUnit_Boolean, 0.f, 1.f, 0.f},
        {CFSTR("LFO Beats"), kAudioUnitParameterUnit_Beats, 1.f, 128.f, 4.f},
        {CFSTR("LFO Beat Divisor"), kAudioUnitParameterUnit_Indexed, 0.f, 5.f, 2.f},
        {CFSTR("LFO Triplet"), kAudioUnitParameterUnit_Boolean, 0.f, 1.f, 0.f},
    };
    return table;
}

Float32 InitialParameterValue(AudioUnitParameterID id)
{
    if (id == kParam_LfoBeats) return 1.f;
    return id < kNumParams ? astParamInfos()[id].defaultValue : 0.f;
}

CFStringRef const* ppVal()
{
    static const CFStringRef strings[kNumDivisorStrings] = {CFSTR("1/1"), CFSTR("1/2"), CFSTR("1/4"),
                                                            CFSTR("1/8"), CFSTR("1/16"), CFSTR("1/32")};
    return strings;
}

CFStringRef FilterTypeName(int index)
{
    static const CFStringRef names[5] = {CFSTR("Thru"), CFSTR("Low"), CFSTR("Band"), CFSTR("High"), CFSTR("Thru")};
    return index >= 0 && index < 5 ? names[index] : nullptr;
}

OSStatus FlummelParameterInfo(AudioUnitScope scope, AudioUnitParameterID id, AudioUnitParameterInfo& outInfo)
{
    if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidParameter;
    outInfo.flags = kAudioUnitParameterFlag_IsWritable | kAudioUnitParameterFlag_IsReadable |
                    kAudioUnitParameterFlag_HasCFNameString | kAudioUnitParameterFlag_Global;
    if (id >= kNumParams) return kAudioUnitErr_InvalidParameter;
    const FlummelParamInfo& row = astParamInfos()[id];
    outInfo.cfNameString = row.name;
    CFStringGetCString(row.name, outInfo.name, sizeof outInfo.name, kCFStringEncodingUTF8);
    outInfo.unit = row.unit;
    outInfo.minValue = row.minValue;
    outInfo.maxValue = row.maxValue;
    outInfo.defaultValue = row.defaultValue;
    if (id == kParam_FilterType) outInfo.flags |= kAudioUnitParameterFlag_ValuesHaveStrings;
    return noErr;
}

OSStatus FlummelParameterValueStrings(AudioUnitScope scope, AudioUnitParameterID id, CFArrayRef* outStrings)
{
    if (!outStrings) return noErr;
    if (scope == kAudioUnitScope_Global && (id == kParam_BeatDivisor || id == kParam_LfoBeatDivisor)) {
        *outStrings = CFArrayCreate(nullptr, reinterpret_cast<const void**>(const_cast<CFStringRef*>(ppVal())),
                                    kNumDivisorStrings, nullptr);
        return noErr;
    }
    return kAudioUnitErr_InvalidProperty;
}

OSStatus FlummelParameterStringFromValue(AudioUnitParameterStringFromValue& record, Float32 current)
{
    if (record.inParamID != kParam_FilterType) return kAudioUnitErr_InvalidParameter;
    record.outString = nullptr;
    const Float32 v = record.inValue ? *record.inValue : current;
    const int n = int(v + 0.5f);
    if (std::fabs(v - Float32(n)) < 0.005f && n >= 0 && n <= 4) {
        record.outString = FilterTypeName(n);
        CFRetain(record.outString);
    }
    return noErr;
}

bool FlummelPropertySize(AudioUnitPropertyID id, UInt32& outSize)
{
    switch (id) {
    case kAudioUnitProperty_ParameterStringFromValue: outSize = sizeof(AudioUnitParameterStringFromValue); return true;
    case kDataToGuiProperty: outSize = sizeof(DataToGui); return true;
    case kSampleOverviewProperty: outSize = sizeof(float*); return true;
    default: return false;
    }
}
