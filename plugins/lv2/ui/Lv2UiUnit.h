// The unit the editor edits inside the LV2 UI: it answers the editor's parameter information
// from the effect's own table, sends the editor's parameter sets to the host through the UI's
// write function, takes the host's port values without echoing them, and answers the live
// data properties from the display messages the plug-in sends. Main thread, except the two
// live data properties, which the editor's render thread reads.
#pragma once

#include <atomic>

#include <lv2/atom/atom.h>
#include <lv2/ui/ui.h>

#include "engine/FlummelShared.h"
#include "framework/AUBase.h"

class Lv2DisplayMessage;


class Lv2UiUnit : public AUBase {
public:
    explicit Lv2UiUnit(ComponentInstance instance);

    // Registers the stand-in ('aufx', 'FlUi', 'TrWk') once; returns the component.
    static Component Register();
    static ComponentDescription Description();

    // Parameter `id` is port `firstControlPort + id`.
    void Connect(LV2UI_Write_Function write, LV2UI_Controller controller, uint32_t firstControlPort);
    // A port value from the host: stored and told to the parameter listeners.
    void PortValue(uint32_t port, float value);
    // A notify atom: true when it was a display message and the live data took it.
    bool DisplayMessage(const Lv2DisplayMessage& reader, const LV2_Atom* atom);

    bool StreamFormatWritable(AudioUnitScope, AudioUnitElement) override { return false; }
    OSStatus SetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                          AudioUnitParameterValue value, UInt32 bufferOffset) override;
    OSStatus GetParameterInfo(AudioUnitScope scope, AudioUnitParameterID id, AudioUnitParameterInfo& outInfo) override;
    OSStatus GetParameterValueStrings(AudioUnitScope scope, AudioUnitParameterID id, CFArrayRef* outStrings) override;
    OSStatus GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                             UInt32& outDataSize, Boolean& outWritable) override;
    OSStatus GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                         void* outData) override;

private:
    LV2UI_Write_Function mWrite = nullptr;
    LV2UI_Controller mController = nullptr;
    uint32_t mFirstControlPort = 0;
    SharedDataToGui mDataToGui;  // written by the main thread, read by the render thread
    std::atomic<float> mOverview[kSampleOverviewFloats];
};
