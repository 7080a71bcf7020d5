#include "engine/TrWkFlummel.h"

#include <cmath>
#include <cstring>

#include "platform/cf/CFArray.h"
#include "platform/cf/CFString.h"

TrWkFlummel::TrWkFlummel(ComponentInstance instance) : AUInlineEffectBase(instance)
{
    Constructor();
    CreateElements();
    Globals()->UseIndexedParameters(kNumParams);  // ids 0..20: the render path reads them by index
    for (AudioUnitParameterID id = 0; id < kNumParams; ++id) Globals()->SetParameter(id, InitialParameterValue(id));
}

TrWkFlummel::~TrWkFlummel() = default;

void TrWkFlummel::Constructor()
{
    mLfoPhase = 0.f;
    mDelayLength = 1;
    mSampleOverview = std::make_unique<std::atomic<float>[]>(kSampleOverviewFloats);
    for (int k = 0; k < kSampleOverviewEntries; ++k) {
        mSampleOverview[4 * k + 0].store(Float32(k), std::memory_order_relaxed);
        mSampleOverview[4 * k + 1].store(0.f, std::memory_order_relaxed);
        mSampleOverview[4 * k + 2].store(Float32(k), std::memory_order_relaxed);
        mSampleOverview[4 * k + 3].store(0.f, std::memory_order_relaxed);
    }
}

OSStatus TrWkFlummel::Initialize()
{
    const Float64 rate = GetSampleRate();
    if (!(rate >= TW::kMinSampleRate && rate <= TW::kMaxSampleRate)) return kAudioUnitErr_FormatNotSupported;
    return AUEffectBase::Initialize();
}

AUKernelBase* TrWkFlummel::NewKernel()
{
    return new CFlummelKernel(this);
}

TrWkFlummel::CFlummelKernel* TrWkFlummel::Kernel(size_t channel) const
{
    return channel < mKernelList.size() ? static_cast<CFlummelKernel*>(mKernelList[channel]) : nullptr;
}

OSStatus TrWkFlummel::GetParameterInfo(AudioUnitScope scope, AudioUnitParameterID id, AudioUnitParameterInfo& outInfo)
{
    return FlummelParameterInfo(scope, id, outInfo);
}

OSStatus TrWkFlummel::GetParameterValueStrings(AudioUnitScope scope, AudioUnitParameterID id, CFArrayRef* outStrings)
{
    return FlummelParameterValueStrings(scope, id, outStrings);
}

OSStatus TrWkFlummel::GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                      UInt32& outDataSize, Boolean& outWritable)
{
    switch (id) {
    case kAudioUnitProperty_ParameterStringFromValue:
        outDataSize = sizeof(AudioUnitParameterStringFromValue);
        outWritable = false;
        return noErr;
    case kDataToGuiProperty:
        outDataSize = sizeof(DataToGui);
        outWritable = false;
        return noErr;
    case kSampleOverviewProperty:
        outDataSize = sizeof(float*);
        outWritable = false;
        return noErr;
    default:
        return AUInlineEffectBase::GetPropertyInfo(id, scope, element, outDataSize, outWritable);
    }
}

DataToGui TrWkFlummel::CopyDataToGui() const
{
    DataToGui d{};
    d.headPosition = mHeadPosition.load(std::memory_order_relaxed);
    d.headForward = mHeadForward.load(std::memory_order_relaxed);
    d.delayPhase = mDelayPhase.load(std::memory_order_relaxed);
    d.lfoPhase = mGuiLfoPhase.load(std::memory_order_relaxed);
    return d;
}

OSStatus TrWkFlummel::GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, void* outData)
{
    switch (id) {
    case kAudioUnitProperty_ParameterStringFromValue: {
        auto* record = static_cast<AudioUnitParameterStringFromValue*>(outData);
        if (record->inParamID != kParam_FilterType) return kAudioUnitErr_InvalidParameter;
        record->outString = nullptr;
        const Float32 v = record->inValue ? *record->inValue : AUEffectBase::GetParameter(kParam_FilterType);
        const int n = int(v + 0.5f);
        if (std::fabs(v - Float32(n)) < 0.005f && n >= 0 && n <= 4) {
            record->outString = FilterTypeName(n);
            CFRetain(record->outString);
        }
        return noErr;
    }
    case kDataToGuiProperty: {
        const DataToGui d = CopyDataToGui();
        std::memcpy(outData, &d, sizeof d);
        return noErr;
    }
    case kSampleOverviewProperty: {
        float* address = reinterpret_cast<float*>(mSampleOverview.get());
        std::memcpy(outData, &address, sizeof address);
        mOverviewState.store(kOverviewStale, std::memory_order_relaxed);
        return noErr;
    }
    default:
        return AUInlineEffectBase::GetProperty(id, scope, element, outData);
    }
}

void TrWkFlummel::GetUIComponentDescs(ComponentDescription* outDescs)
{
    outDescs[0] = ComponentDescription{kAudioUnitCarbonViewComponentType, kSubType, kManufacturer, 0, 0};
}
