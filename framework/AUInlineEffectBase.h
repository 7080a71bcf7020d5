// An effect that processes its input buffers in place and hands them on as its output.
#pragma once

#include "framework/AUEffectBase.h"

class AUInlineEffectBase : public AUEffectBase {
public:
    explicit AUInlineEffectBase(ComponentInstance instance) : AUEffectBase(instance, true) {}

    AUElement* CreateElement(AudioUnitScope scope, AudioUnitElement element) override;
    OSStatus RenderBus(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& timeStamp, UInt32 bus,
                       UInt32 frames) override;
};
