// The effect's state as the preset files of `flummel` hold it: an XML property list of the
// unit's class info; presets are also read from the factory set and from LV2 hosts' files.
#pragma once

#include <string>

#include "host/flummel/EffectOptions.h"
#include "platform/audio/AudioUnitTypes.h"
#include "platform/cf/CFBase.h"

class AUHost;

// Restores a preset into the unit: a factory preset by name, a saved state (XML property
// list) or a host's LV2 state or preset (.ttl, or a directory holding state.ttl); throws CliError.
void RestorePreset(AudioUnit unit, const std::string& nameOrPath);

// The unit's class info; throws CliError.
CFRef<CFPropertyListRef> SaveState(AudioUnit unit);

// Writes `state` to `path`; throws CliError naming `shownPath`.
void WritePreset(CFPropertyListRef state, const std::string& path, const std::string& shownPath);

// Restores the options' preset, then applies their --set values; throws CliError.
void ApplyEffectOptions(AUHost& host, const EffectOptions& o);
