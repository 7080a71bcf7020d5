// An element of a scope: holds parameters, indexed or by id, and an optional name.
#pragma once

#include <map>
#include <vector>

#include "framework/ParameterMapEvent.h"
#include "platform/cf/CFData.h"
#include "platform/cf/CFString.h"

class AUBase;

class AUElement {
public:
    explicit AUElement(AUBase* unit) : mAudioUnit(unit) {}
    virtual ~AUElement();
    AUElement(const AUElement&) = delete;
    AUElement& operator=(const AUElement&) = delete;

    virtual void UseIndexedParameters(int numberOfParameters);

    AUBase* GetAudioUnit() const { return mAudioUnit; }

    UInt32 GetNumberOfParameters() const
    {
        return mUseIndexedParameters ? UInt32(mIndexedParameters.size()) : UInt32(mParameters.size());
    }
    void GetParameterList(AudioUnitParameterID* outList) const;

    // Both throw kAudioUnitErr_InvalidParameter for an id that is not there; map storage
    // creates a parameter on SetParameter instead.
    AudioUnitParameterValue GetParameter(AudioUnitParameterID id) const
    {
        // The render path reads indexed parameters many times a call: no call out of line.
        if (mUseIndexedParameters && id < mIndexedParameters.size()) return mIndexedParameters[id].Value();
        return Record(id).Value();
    }
    void SetParameter(AudioUnitParameterID id, AudioUnitParameterValue value);
    void SetScheduledEvent(AudioUnitParameterID id, const AudioUnitParameterEvent& event, UInt32 sliceOffset,
                           UInt32 sliceFrames);
    // The whole record, for consumers that interpolate a ramp (throws as GetParameter).
    const ParameterMapEvent& GetParameterEvent(AudioUnitParameterID id) const;

    // Appends the parameter count and (id, value) pairs, big-endian.
    void SaveState(CFMutableDataRef data) const;
    // Reads a count and pairs from [p, end); returns the address after the last pair. Throws
    // kAudioUnitErr_InvalidPropertyValue when the pairs would run past `end`, before setting any.
    const UInt8* RestoreState(const UInt8* p, const UInt8* end);

    CFStringRef GetName() const { return mElementName; }
    void SetName(CFStringRef name);
    bool HasName() const { return bool(mElementName); }

private:
    ParameterMapEvent& Record(AudioUnitParameterID id, bool createInMap);
    const ParameterMapEvent& Record(AudioUnitParameterID id) const;

    AUBase* mAudioUnit;
    std::map<AudioUnitParameterID, ParameterMapEvent> mParameters;
    bool mUseIndexedParameters = false;
    std::vector<ParameterMapEvent> mIndexedParameters;
    CFRef<CFStringRef> mElementName;
};
