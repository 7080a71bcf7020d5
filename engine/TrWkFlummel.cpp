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
    ClearSampleOverview(mSampleOverview.get());
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
    return channel < mKernelList.size() ? static_cast<CFlummelKernel*>(mKernelList[channel].get()) : nullptr;
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
    if (!FlummelPropertySize(id, outDataSize))
        return AUInlineEffectBase::GetPropertyInfo(id, scope, element, outDataSize, outWritable);
    outWritable = false;
    return noErr;
}

DataToGui TrWkFlummel::CopyDataToGui() const
{
    return mDataToGui.Load();
}

OSStatus TrWkFlummel::GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, void* outData)
{
    switch (id) {
    case kAudioUnitProperty_ParameterStringFromValue:
        return FlummelParameterStringFromValue(*static_cast<AudioUnitParameterStringFromValue*>(outData),
                                               AUEffectBase::GetParameter(kParam_FilterType));
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
