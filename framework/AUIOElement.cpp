#include "framework/AUIOElement.h"

#include "framework/AUBase.h"

AUIOElement::AUIOElement(AUBase* unit)
    : AUElement(unit), mStreamFormat(CAStreamBasicDescription::CanonicalFormat(44100.0, 2))
{
}

OSStatus AUIOElement::SetStreamFormat(const CAStreamBasicDescription& format)
{
    mStreamFormat = format;
    return noErr;
}

void AUIOElement::AllocateBuffer(UInt32 frames)
{
    AUBase* unit = GetAudioUnit();
    if (!unit->IsInitialized()) return;
    if (frames == 0) frames = unit->GetMaxFramesPerSlice();
    mIOBuffer.Allocate(mStreamFormat, NeedsBufferSpace() ? frames : 0);
}
