#include "host/flummel/CliError.h"

#include "platform/audio/AudioUnitTypes.h"
#include "platform/audio/Components.h"

CliError CliError::Effect(const std::string& what, OSStatus status)
{
    return CliError(what + ": status " + std::to_string(status) + " (" + StatusName(status) + ")", kEffect);
}

const char* StatusName(OSStatus status)
{
    switch (status) {
    case noErr: return "noErr";
    case paramErr: return "paramErr";
    case memFullErr: return "memFullErr";
    case invalidComponentID: return "invalidComponentID";
    case badComponentSelector: return "badComponentSelector";
    case kAudioUnitErr_InvalidProperty: return "kAudioUnitErr_InvalidProperty";
    case kAudioUnitErr_InvalidParameter: return "kAudioUnitErr_InvalidParameter";
    case kAudioUnitErr_InvalidElement: return "kAudioUnitErr_InvalidElement";
    case kAudioUnitErr_NoConnection: return "kAudioUnitErr_NoConnection";
    case kAudioUnitErr_FailedInitialization: return "kAudioUnitErr_FailedInitialization";
    case kAudioUnitErr_TooManyFramesToProcess: return "kAudioUnitErr_TooManyFramesToProcess";
    case kAudioUnitErr_FormatNotSupported: return "kAudioUnitErr_FormatNotSupported";
    case kAudioUnitErr_Uninitialized: return "kAudioUnitErr_Uninitialized";
    case kAudioUnitErr_InvalidScope: return "kAudioUnitErr_InvalidScope";
    case kAudioUnitErr_PropertyNotWritable: return "kAudioUnitErr_PropertyNotWritable";
    case kAudioUnitErr_InvalidPropertyValue: return "kAudioUnitErr_InvalidPropertyValue";
    case kAudioUnitErr_Initialized: return "kAudioUnitErr_Initialized";
    case kAudioUnitErr_NotHandled: return "kAudioUnitErr_NotHandled";
    default: return "unknown status";
    }
}
