// The effect's 21 parameters: ids, description table, value strings and Filter Type names.
#pragma once

#include "platform/audio/AudioUnitTypes.h"

enum FlummelParameter : AudioUnitParameterID {
    kParam_DelayTime = 0,
    kParam_Feedback,
    kParam_DryLevel,
    kParam_EffectLevel,
    kParam_ReSync,
    kParam_HostTempo,
    kParam_Beats,
    kParam_BeatDivisor,
    kParam_Triplet,
    kParam_FilterCutoff,
    kParam_FilterQ,
    kParam_FilterType,
    kParam_SaturationAmount,
    kParam_SaturationShape,
    kParam_FilterLfoSpeed,
    kParam_FilterLfoAmount,
    kParam_LfoReSync,
    kParam_LfoHostTempo,
    kParam_LfoBeats,
    kParam_LfoBeatDivisor,
    kParam_LfoTriplet,
    kNumParams
};

struct FlummelParamInfo {
    CFStringRef name;
    AudioUnitParameterUnit unit;
    Float32 minValue;
    Float32 maxValue;
    Float32 defaultValue;
};

// Indexed by parameter id. The names are constant strings.
const FlummelParamInfo* astParamInfos();
// The value the constructor stores (differs from the reported default for LFO Beats only).
Float32 InitialParameterValue(AudioUnitParameterID id);
// "1/1" ... "1/32", the values of Beat Divisor and LFO Beat Divisor.
constexpr int kNumDivisorStrings = 6;
CFStringRef const* ppVal();
// "Thru", "Low", "Band", "High", "Thru".
CFStringRef FilterTypeName(int index);

// What a unit with these parameters answers: the information of parameter `id` in the global
// scope (-10878 for another scope or id), and the value strings of the two divisors (a new array
// the caller releases; -10879 for any other parameter).
OSStatus FlummelParameterInfo(AudioUnitScope scope, AudioUnitParameterID id, AudioUnitParameterInfo& outInfo);
OSStatus FlummelParameterValueStrings(AudioUnitScope scope, AudioUnitParameterID id, CFArrayRef* outStrings);
// The string of a Filter Type value (property 33): its name at whole values 0..4, else none;
// `current` stands in for a record without a value. -10878 for any other parameter.
OSStatus FlummelParameterStringFromValue(AudioUnitParameterStringFromValue& record, Float32 current);
// The sizes of the read-only properties such a unit adds: 33, 64001 and 64003. False for others.
bool FlummelPropertySize(AudioUnitPropertyID id, UInt32& outSize);
