#include "framework/AUInlineEffectBase.h"

#include "framework/AUInlineOutputElement.h"

AUElement* AUInlineEffectBase::CreateElement(AudioUnitScope scope, AudioUnitElement element)
{
    if (scope == kAudioUnitScope_Output) return new AUInlineOutputElement(this);
    return AUEffectBase::CreateElement(scope, element);
}

OSStatus AUInlineEffectBase::RenderBus(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& timeStamp,
                                       UInt32 bus, UInt32 frames)
{
    if (bus != 0 || !HasInput(0)) return kAudioUnitErr_NoConnection;
    const OSStatus pulled = PullInput(0, ioActionFlags, timeStamp, frames);
    if (pulled != noErr) return pulled;

    AUInputElement* input = GetInput(0);
    AudioBufferList& buffers = input->GetBufferList();
    OSStatus result = noErr;
    if (!ShouldBypassEffect()) result = ProcessBufferLists(ioActionFlags, buffers, buffers, frames);
    GetOutput(0)->SetBufferList(buffers);
    return result;
}
