#include "plugins/lv2/Lv2Descriptor.h"

#include <cstring>

#include "plugins/lv2/FlummelLv2.h"

namespace {

FlummelLv2* Self(LV2_Handle instance) { return static_cast<FlummelLv2*>(instance); }

LV2_Handle Instantiate(const LV2_Descriptor* descriptor, double sampleRate, const char*,
                       const LV2_Feature* const* features)
{
    const Lv2Variant* variant = Lv2Variant::Find(descriptor->URI);
    if (!variant) return nullptr;
    try {
        return FlummelLv2::Create(*variant, sampleRate, features).release();
    } catch (...) {
        return nullptr;
    }
}

void ConnectPort(LV2_Handle instance, uint32_t port, void* data) { Self(instance)->ConnectPort(port, data); }
void Activate(LV2_Handle instance) { Self(instance)->Activate(); }
void Run(LV2_Handle instance, uint32_t frames) { Self(instance)->Run(frames); }
void Deactivate(LV2_Handle) {}
void Cleanup(LV2_Handle instance) { delete Self(instance); }

// The state calls allocate and may throw; the host gets a status instead.
template <auto Call, typename Function>
LV2_State_Status State(LV2_Handle instance, Function function, LV2_State_Handle handle, uint32_t,
                       const LV2_Feature* const*)
{
    if (!function) return LV2_STATE_ERR_UNKNOWN;
    try {
        return (Self(instance)->*Call)(function, handle);
    } catch (...) {
        return LV2_STATE_ERR_UNKNOWN;
    }
}

const LV2_State_Interface kStateInterface = {State<&FlummelLv2::Save, LV2_State_Store_Function>,
                                             State<&FlummelLv2::Restore, LV2_State_Retrieve_Function>};

const void* ExtensionData(const char* uri)
{
    return std::strcmp(uri, LV2_STATE__interface) == 0 ? &kStateInterface : nullptr;
}

const LV2_Descriptor kDescriptors[Lv2Variant::kCount] = {
    {Lv2Variant::At(0).uri, Instantiate, ConnectPort, Activate, Run, Deactivate, Cleanup, ExtensionData},
    {Lv2Variant::At(1).uri, Instantiate, ConnectPort, Activate, Run, Deactivate, Cleanup, ExtensionData},
};

}  // namespace

const LV2_Descriptor* Lv2Descriptor::At(uint32_t index)
{
    return index < Lv2Variant::kCount ? &kDescriptors[index] : nullptr;
}
