#include "framework/AUOutputElement.h"

AUOutputElement::AUOutputElement(AUBase* unit) : AUIOElement(unit)
{
    AllocateBuffer();
}

OSStatus AUOutputElement::SetStreamFormat(const CAStreamBasicDescription& format)
{
    const OSStatus result = AUIOElement::SetStreamFormat(format);
    if (result == noErr) AllocateBuffer();
    return result;
}
