#include "host/flummel/EffectState.h"

#include <cstring>

#include "host/AUHost.h"
#include "host/flummel/CliError.h"
#include "host/flummel/EffectParameters.h"
#include "platform/audio/AudioUnitCalls.h"
#include "platform/cf/CFPropertyList.h"
#include "platform/cf/CFString.h"

void RestorePreset(AudioUnit unit, const std::string& path)
{
    CFStringRef error = nullptr;
    CFRef<CFPropertyListRef> state(CFPropertyListCreateFromFile(path.c_str(), &error));
    if (!state) {
        const std::string why = CFStringToUTF8(error);
        if (error) CFRelease(error);
        throw CliError("cannot read preset " + path + ": " + why);
    }
    CFPropertyListRef ref = state.get();
    const OSStatus err = AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &ref,
                                              sizeof ref);
    if (err != noErr)
        throw CliError("preset " + path + " is not a state of this effect (status " + std::to_string(err) + ", " +
                       StatusName(err) + ")");
}

CFRef<CFPropertyListRef> SaveState(AudioUnit unit)
{
    CFRef<CFPropertyListRef> state;
    UInt32 size = sizeof(CFPropertyListRef);
    const OSStatus err =
        AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, state.adopt(), &size);
    if (err != noErr) throw CliError::Effect("saving the effect's state", err);
    return state;
}

void WritePreset(CFPropertyListRef state, const std::string& path, const std::string& shownPath)
{
    if (const int err = CFPropertyListWriteToFile(state, path.c_str()))
        throw CliError("cannot write preset " + shownPath + ": " + std::strerror(err));
}

void ApplyEffectOptions(AUHost& host, const EffectOptions& o)
{
    if (!o.preset.empty()) RestorePreset(host.Unit(), o.preset);
    const EffectParameters parameters(host.Unit());
    for (const auto& [name, text] : o.sets) {
        const EffectParameter& p = parameters.Find(name);
        const OSStatus err = host.SetParameter(p.id, EffectParameters::ParseValue(p, text));
        if (err != noErr) throw CliError::Effect("setting a parameter", err);
    }
}
