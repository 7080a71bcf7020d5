#include "host/flummel/EffectState.h"

#include <cstring>

#include "host/AUHost.h"
#include "host/flummel/CliError.h"
#include "host/flummel/EffectParameters.h"
#include "host/flummel/FactoryPresets.h"
#include "host/flummel/HostPresetReader.h"
#include "platform/audio/AudioUnitCalls.h"
#include "platform/cf/CFPropertyList.h"
#include "platform/cf/CFString.h"

namespace {

void RestoreClassInfo(AudioUnit unit, CFPropertyListRef state, const std::string& path)
{
    const OSStatus err = AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state,
                                              sizeof state);
    if (err != noErr)
        throw CliError("preset " + path + " is not a state of this effect (status " + std::to_string(err) + ", " +
                       StatusName(err) + ")");
}

// A host's LV2 state: its class-info dictionary, then its port values (as LV2 hosts restore
// them); ports that are no parameter, such as the bypass switch, are passed over.
void RestoreHostPreset(AudioUnit unit, const std::string& path)
{
    const HostPresetReader::Preset preset = HostPresetReader::Read(path);
    if (preset.classInfo) RestoreClassInfo(unit, preset.classInfo, path);
    const EffectParameters parameters(unit);
    for (const auto& [symbol, value] : preset.ports) {
        const EffectParameter* p = nullptr;
        try {
            p = &parameters.Find(symbol);
        } catch (const CliError&) {
            continue;
        }
        const OSStatus err = AudioUnitSetParameter(unit, p->id, kAudioUnitScope_Global, 0, p->Clamp(value), 0);
        if (err != noErr) throw CliError::Effect("setting a parameter", err);
    }
}

}  // namespace

void RestorePreset(AudioUnit unit, const std::string& nameOrPath)
{
    const std::string path = FactoryPresets::Resolve(nameOrPath);
    if (HostPresetReader::Handles(path)) return RestoreHostPreset(unit, path);
    CFStringRef error = nullptr;
    CFRef<CFPropertyListRef> state(CFPropertyListCreateFromFile(path.c_str(), &error));
    if (!state) {
        const std::string why = CFStringToUTF8(error);
        if (error) CFRelease(error);
        throw CliError("cannot read preset " + path + ": " + why);
    }
    RestoreClassInfo(unit, state, path);
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
