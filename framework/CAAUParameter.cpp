#include "framework/CAAUParameter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/audio/AudioUnitCalls.h"

namespace {

const char* UnitLabel(AudioUnitParameterUnit unit)
{
    switch (unit) {
    case kAudioUnitParameterUnit_Boolean: return "T/F";
    case kAudioUnitParameterUnit_Percent:
    case kAudioUnitParameterUnit_EqualPowerCrossfade: return "%";
    case kAudioUnitParameterUnit_Seconds: return "Secs";
    case kAudioUnitParameterUnit_SampleFrames: return "Samps";
    case kAudioUnitParameterUnit_Phase:
    case kAudioUnitParameterUnit_Degrees: return "Degr.";
    case kAudioUnitParameterUnit_Hertz: return "Hz";
    case kAudioUnitParameterUnit_Cents:
    case kAudioUnitParameterUnit_AbsoluteCents: return "Cents";
    case kAudioUnitParameterUnit_RelativeSemiTones: return "S-T";
    case kAudioUnitParameterUnit_MIDINoteNumber:
    case kAudioUnitParameterUnit_MIDIController: return "MIDI";
    case kAudioUnitParameterUnit_Decibels: return "dB";
    case kAudioUnitParameterUnit_LinearGain:
    case kAudioUnitParameterUnit_MixerFaderCurve1: return "Gain";
    case kAudioUnitParameterUnit_Pan: return "L/R";
    case kAudioUnitParameterUnit_Meters: return "Mtrs";
    case kAudioUnitParameterUnit_Octaves: return "8ve";
    case kAudioUnitParameterUnit_BPM: return "BPM";
    case kAudioUnitParameterUnit_Beats: return "Beats";
    case kAudioUnitParameterUnit_Milliseconds: return "msecs";
    case kAudioUnitParameterUnit_Ratio: return "ratio";
    default: return nullptr;
    }
}

// The string's UTF-8 bytes, as many as fit, never ending inside a character.
void CopyPrefix(CFStringRef s, char* out, size_t size)
{
    const char* utf8 = CFStringGetCStringPtr(s, kCFStringEncodingUTF8);
    size_t n = utf8 ? std::strlen(utf8) : 0;
    if (n > size - 1) {
        n = size - 1;
        while (n > 0 && (static_cast<unsigned char>(utf8[n]) & 0xC0) == 0x80) --n;
    }
    if (n) std::memcpy(out, utf8, n);
    out[n] = '\0';
}

// 1 + maximum - minimum, truncated; a range no 16-bit count can hold (or not a number) gives
// the nearest count that can.
SInt16 RangeCount(const AudioUnitParameterInfo& info)
{
    const double n = 1.0 + double(info.maxValue) - double(info.minValue);
    return std::isnan(n) ? 0 : SInt16(std::clamp(n, -32768.0, 32767.0));
}

// A name string from the unit's parameter information: owned when the information carries
// kAudioUnitParameterFlag_CFNameRelease, borrowed otherwise.
CFRef<CFStringRef> InfoString(CFStringRef s, bool owned)
{
    return owned ? CFRef<CFStringRef>(s) : CFRef<CFStringRef>::Retained(s);
}

}  // namespace

CAAUParameter::CAAUParameter()
{
    mAudioUnit = nullptr;
    mParameterID = 0;
    mScope = 0;
    mElement = 0;
    std::memset(&mParamInfo, 0, sizeof mParamInfo);
    mNumIndexedParams = 0;
}

CAAUParameter::CAAUParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element)
    : CAAUParameter()
{
    Init(unit, id, scope, element);
}

void CAAUParameter::Init(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element)
{
    mParamName.reset();
    mParamTag.reset();
    mValueStrings.reset();
    mAudioUnit = unit;
    mParameterID = id;
    mScope = scope;
    mElement = element;
    mNumIndexedParams = 0;

    UInt32 size = sizeof mParamInfo;
    if (AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterInfo, scope, id, &mParamInfo, &size) != noErr)
        std::memset(&mParamInfo, 0, sizeof mParamInfo);

    const bool owned = (mParamInfo.flags & kAudioUnitParameterFlag_CFNameRelease) != 0;
    if (!(mParamInfo.flags & kAudioUnitParameterFlag_HasCFNameString) || !mParamInfo.cfNameString) {
        mParamName.reset(CFStringCreateWithCString(nullptr, mParamInfo.name, kCFStringEncodingUTF8));
    } else {
        mParamName = InfoString(mParamInfo.cfNameString, owned);
    }

    switch (mParamInfo.unit) {
    case kAudioUnitParameterUnit_Indexed: {
        CFArrayRef strings = nullptr;
        UInt32 stringsSize = sizeof strings;
        if (AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterValueStrings, scope, id, &strings,
                                 &stringsSize) == noErr &&
            strings) {
            mValueStrings.reset(strings);  // handed over retained
            mNumIndexedParams = SInt16(CFArrayGetCount(strings));
        } else {
            mNumIndexedParams = RangeCount(mParamInfo);
        }
        break;
    }
    case kAudioUnitParameterUnit_MIDINoteNumber:
    case kAudioUnitParameterUnit_MIDIController:
        mNumIndexedParams = RangeCount(mParamInfo);
        mParamTag.reset(CFStringCreateWithCString(nullptr, "MIDI", kCFStringEncodingUTF8));
        break;
    case kAudioUnitParameterUnit_CustomUnit: {
        char label[256] = "";  // at most 255 bytes of the name survive
        if (mParamInfo.unitName) {
            CopyPrefix(InfoString(mParamInfo.unitName, owned), label, sizeof label);
            mParamInfo.unitName = nullptr;  // the snapshot keeps no reference it does not own
        }
        mParamTag.reset(CFStringCreateWithCString(nullptr, label, kCFStringEncodingUTF8));
        break;
    }
    default:
        if (const char* label = UnitLabel(mParamInfo.unit))
            mParamTag.reset(CFStringCreateWithCString(nullptr, label, kCFStringEncodingUTF8));
        break;
    }
    if (mParamInfo.flags & kAudioUnitParameterFlag_HasCFNameString) mParamInfo.cfNameString = mParamName;
}

Float32 CAAUParameter::GetValue() const
{
    Float32 value = 0;
    if (AudioUnitGetParameter(mAudioUnit, mParameterID, mScope, mElement, &value) != noErr) return 0;
    return value;
}

void CAAUParameter::SetValue(AUParameterListenerRef listener, void* sender, Float32 value) const
{
    if (value > mParamInfo.maxValue) value = mParamInfo.maxValue;
    if (value < mParamInfo.minValue) value = mParamInfo.minValue;
    AUParameterSet(listener, sender, this, value, 0);
}
