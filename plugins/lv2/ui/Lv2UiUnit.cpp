#include "plugins/lv2/ui/Lv2UiUnit.h"

#include <cmath>
#include <cstring>

#include "engine/FlummelParameters.h"
#include "framework/ComponentEntryPoint.h"
#include "platform/audio/AudioUnitUtilities.h"
#include "platform/cf/CFString.h"
#include "plugins/lv2/Lv2DisplayMessage.h"

namespace {

ComponentResult Entry(ComponentParameters* params, void* storage)
{
    return ComponentEntryPoint<Lv2UiUnit>::Dispatch(params, storage);
}

bool IsParameter(AudioUnitScope scope, AudioUnitParameterID id)
{
    return scope == kAudioUnitScope_Global && id < kNumParams;
}

}  // namespace

Lv2UiUnit::Lv2UiUnit(ComponentInstance instance) : AUBase(instance, 0, 0)
{
    Globals()->UseIndexedParameters(kNumParams);
    for (AudioUnitParameterID id = 0; id < kNumParams; ++id) Globals()->SetParameter(id, InitialParameterValue(id));
    ClearSampleOverview(mOverview);
    mDataToGui.SetHead(0.f, true);  // until the first message: the head at the start, moving forward
}

ComponentDescription Lv2UiUnit::Description()
{
    return ComponentDescription{kAudioUnitType_Effect, FourCC("FlUi"), FourCC("TrWk"), 0, 0};
}

Component Lv2UiUnit::Register()
{
    static Component component = RegisterComponent(Description(), &Entry, "TrWk: Flummel (LV2 UI)");
    return component;
}

void Lv2UiUnit::Connect(LV2UI_Write_Function write, LV2UI_Controller controller, uint32_t firstControlPort)
{
    mWrite = write;
    mController = controller;
    mFirstControlPort = firstControlPort;
}

void Lv2UiUnit::PortValue(uint32_t port, float value)
{
    if (port < mFirstControlPort || port - mFirstControlPort >= kNumParams || !std::isfinite(value)) return;
    const AudioUnitParameterID id = port - mFirstControlPort;
    const FlummelParamInfo& row = astParamInfos()[id];
    Globals()->SetParameter(id, std::fmin(std::fmax(value, row.minValue), row.maxValue));
    const AudioUnitParameter parameter{GetComponentInstance(), id, kAudioUnitScope_Global, 0};
    AUParameterListenerNotify(nullptr, nullptr, &parameter);
}

bool Lv2UiUnit::DisplayMessage(const Lv2DisplayMessage& reader, const LV2_Atom* atom)
{
    DataToGui data{};
    if (!reader.Read(atom, data, mOverview)) return false;
    mDataToGui.Store(data);
    return true;
}

OSStatus Lv2UiUnit::SetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                                 AudioUnitParameterValue value, UInt32 bufferOffset)
{
    if (!IsParameter(scope, id) || element != 0) return kAudioUnitErr_InvalidParameter;
    const OSStatus result = AUBase::SetParameter(id, scope, element, value, bufferOffset);
    if (result == noErr && mWrite) {
        const float v = Globals()->GetParameter(id);
        mWrite(mController, mFirstControlPort + id, sizeof v, 0, &v);  // protocol 0: a control port's float
    }
    return result;
}

OSStatus Lv2UiUnit::GetParameterInfo(AudioUnitScope scope, AudioUnitParameterID id, AudioUnitParameterInfo& outInfo)
{
    return FlummelParameterInfo(scope, id, outInfo);
}

OSStatus Lv2UiUnit::GetParameterValueStrings(AudioUnitScope scope, AudioUnitParameterID id, CFArrayRef* outStrings)
{
    return FlummelParameterValueStrings(scope, id, outStrings);
}

OSStatus Lv2UiUnit::GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                    UInt32& outDataSize, Boolean& outWritable)
{
    if (!FlummelPropertySize(id, outDataSize))
        return AUBase::GetPropertyInfo(id, scope, element, outDataSize, outWritable);
    outWritable = false;
    return noErr;
}

OSStatus Lv2UiUnit::GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, void* outData)
{
    switch (id) {
    case kAudioUnitProperty_ParameterStringFromValue:
        return FlummelParameterStringFromValue(*static_cast<AudioUnitParameterStringFromValue*>(outData),
                                               Globals()->GetParameter(kParam_FilterType));
    case kDataToGuiProperty: {
        const DataToGui d = mDataToGui.Load();
        std::memcpy(outData, &d, sizeof d);
        return noErr;
    }
    case kSampleOverviewProperty: {
        float* address = reinterpret_cast<float*>(mOverview);
        std::memcpy(outData, &address, sizeof address);
        return noErr;
    }
    default:
        return AUBase::GetProperty(id, scope, element, outData);
    }
}
