// An editor's handle on one parameter: its address, a snapshot of its information, a display
// name, a short unit label and, for list-like parameters, the value strings. The value itself
// is always read from and written to the unit through the parameter services.
#pragma once

#include "platform/audio/AudioUnitTypes.h"
#include "platform/audio/AudioUnitUtilities.h"
#include "platform/cf/CFArray.h"
#include "platform/cf/CFString.h"

class CAAUParameter : public AudioUnitParameter {
public:
    CAAUParameter();
    CAAUParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element);

    void Init(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element);

    // 0 when the unit cannot be read.
    Float32 GetValue() const;
    // Clamps into the snapshot's range and sets the value, telling every listener but `sender`.
    void SetValue(AUParameterListenerRef listener, void* sender, Float32 value) const;

    const AudioUnitParameterInfo& ParamInfo() const { return mParamInfo; }
    CFStringRef GetName() const { return mParamName; }
    CFStringRef GetUnitLabel() const { return mParamTag; }  // null when the unit has none
    SInt16 GetNumIndexedParams() const { return mNumIndexedParams; }
    CFArrayRef GetValueStrings() const { return mValueStrings; }  // null unless indexed with strings
    bool IsIndexed() const { return mParamInfo.unit == kAudioUnitParameterUnit_Indexed; }

private:
    AudioUnitParameterInfo mParamInfo;
    CFRef<CFStringRef> mParamName;
    CFRef<CFStringRef> mParamTag;
    SInt16 mNumIndexedParams;
    CFRef<CFArrayRef> mValueStrings;
};
