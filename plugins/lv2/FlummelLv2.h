// One plug-in instance: hosts the effect through its component entry and the host calls,
// feeds it the input ports through the render-callback input, renders into the output
// ports, turns control-port changes into parameter changes, answers the effect's tempo
// callback from the time-position port, crossfades to the input while bypassed and sends the
// editor's live data to the UI through the notify port.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>

#include "host/AUHost.h"
#include "plugins/lv2/Lv2Bypass.h"
#include "plugins/lv2/Lv2NotifyPort.h"
#include "plugins/lv2/Lv2ParameterList.h"
#include "plugins/lv2/Lv2Transport.h"
#include "plugins/lv2/Lv2Uris.h"
#include "plugins/lv2/Lv2Variant.h"

class FlummelLv2 {
public:
    static constexpr uint32_t kMaxChannels = 2;
    // Null for a rate not above 0, or when the effect fails to open or initialise at the rate
    // (it runs from TW::kMinSampleRate to TW::kMaxSampleRate). Without a usable URID map the effect runs but has no state.
    static std::unique_ptr<FlummelLv2> Create(const Lv2Variant& variant, double sampleRate,
                                              const LV2_Feature* const* features);
    FlummelLv2(const FlummelLv2&) = delete;
    FlummelLv2& operator=(const FlummelLv2&) = delete;

    void ConnectPort(uint32_t port, void* data);
    void Activate();
    // The audio thread: no allocation, no locks, nothing thrown.
    void Run(uint32_t frames) noexcept;

    LV2_State_Status Save(LV2_State_Store_Function store, LV2_State_Handle handle) const;
    LV2_State_Status Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

private:
    FlummelLv2(const Lv2Variant& variant, double sampleRate, const LV2_URID_Map* map);
    OSStatus Start(double sampleRate);

    void ApplyControls();
    void ReadTimePort(uint32_t frames);
    void RenderSpan(uint32_t from, uint32_t to);
    bool FillInput(float* const* channels, UInt32 count, UInt32 frames);

    const Lv2Variant& mVariant;
    const Lv2Uris mUris;
    Lv2Transport mTransport;
    std::unique_ptr<AUHost> mHost;
    Lv2ParameterList mParameters;
    UInt32 mMaxFrames = 0;
    std::unique_ptr<Lv2Bypass> mBypass;
    Lv2NotifyPort mNotify;

    std::array<const float*, kMaxChannels> mIn{};
    std::array<float*, kMaxChannels> mOut{};
    const LV2_Atom_Sequence* mTime = nullptr;
    const float* mEnabled = nullptr;  // the bypass switch
    // A control port and what the render path needs of its parameter, by position in the
    // parameter list: read every call, so kept small and side by side.
    struct Control {
        const float* port = nullptr;
        float last = 0.f;  // the port value last handed on; a trigger's last port value
        AudioUnitParameterID id = 0;
        float minValue = 0.f, maxValue = 0.f;
        bool trigger = false;  // fires as its port rises above 0
    };
    std::vector<Control> mControls;
    uint32_t mInputOffset = 0;  // where in the input ports the current render call starts
};
