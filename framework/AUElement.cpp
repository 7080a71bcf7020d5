#include "framework/AUElement.h"

#include <cstring>

namespace {

void AppendBigEndian(CFMutableDataRef data, UInt32 v)
{
    const UInt8 b[4] = {UInt8(v >> 24), UInt8(v >> 16), UInt8(v >> 8), UInt8(v)};
    CFDataAppendBytes(data, b, 4);
}

UInt32 ReadBigEndian(const UInt8* p)
{
    return (UInt32(p[0]) << 24) | (UInt32(p[1]) << 16) | (UInt32(p[2]) << 8) | UInt32(p[3]);
}

}  // namespace

AUElement::~AUElement() = default;

void AUElement::UseIndexedParameters(int numberOfParameters)
{
    if (numberOfParameters < 0) return;
    mIndexedParameters.reserve(mIndexedParameters.size() + size_t(numberOfParameters));
    mIndexedParameters.resize(mIndexedParameters.size() + size_t(numberOfParameters));
    mUseIndexedParameters = true;
}

void AUElement::GetParameterList(AudioUnitParameterID* outList) const
{
    if (mUseIndexedParameters) {
        for (UInt32 i = 0; i < mIndexedParameters.size(); ++i) outList[i] = i;
    } else {
        for (const auto& entry : mParameters) *outList++ = entry.first;
    }
}

ParameterMapEvent& AUElement::Record(AudioUnitParameterID id, bool createInMap)
{
    if (mUseIndexedParameters) {
        if (id >= mIndexedParameters.size()) throw SInt32(kAudioUnitErr_InvalidParameter);
        return mIndexedParameters[id];
    }
    auto it = mParameters.find(id);
    if (it != mParameters.end()) return it->second;
    if (!createInMap) throw SInt32(kAudioUnitErr_InvalidParameter);
    return mParameters.emplace(id, ParameterMapEvent()).first->second;
}

const ParameterMapEvent& AUElement::Record(AudioUnitParameterID id) const
{
    return const_cast<AUElement*>(this)->Record(id, false);
}

const ParameterMapEvent& AUElement::GetParameterEvent(AudioUnitParameterID id) const
{
    return Record(id);
}

void AUElement::SetParameter(AudioUnitParameterID id, AudioUnitParameterValue value)
{
    Record(id, true).SetValue(value);
}

void AUElement::SetScheduledEvent(AudioUnitParameterID id, const AudioUnitParameterEvent& event, UInt32 sliceOffset,
                                  UInt32 sliceFrames)
{
    Record(id, true).SetScheduledEvent(event, sliceOffset, sliceFrames);
}

void AUElement::SaveState(CFMutableDataRef data) const
{
    const UInt32 n = GetNumberOfParameters();
    AppendBigEndian(data, n);
    auto appendPair = [data](UInt32 id, Float32 value) {
        UInt32 bits;
        std::memcpy(&bits, &value, 4);
        AppendBigEndian(data, id);
        AppendBigEndian(data, bits);
    };
    if (mUseIndexedParameters) {
        for (UInt32 i = 0; i < n; ++i) appendPair(i, mIndexedParameters[i].Value());
    } else {
        for (const auto& entry : mParameters) appendPair(entry.first, entry.second.Value());
    }
}

const UInt8* AUElement::RestoreState(const UInt8* p, const UInt8* end)
{
    if (end - p < 4) throw SInt32(kAudioUnitErr_InvalidPropertyValue);
    const UInt32 n = ReadBigEndian(p);
    p += 4;
    if (UInt64(end - p) / 8 < n) throw SInt32(kAudioUnitErr_InvalidPropertyValue);
    for (UInt32 i = 0; i < n; ++i, p += 8) {
        const UInt32 bits = ReadBigEndian(p + 4);
        Float32 value;
        std::memcpy(&value, &bits, 4);
        SetParameter(ReadBigEndian(p), value);
    }
    return p;
}

void AUElement::SetName(CFStringRef name)
{
    mElementName = CFRef<CFStringRef>::Retained(name);
}
