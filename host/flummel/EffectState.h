// The effect's state as the preset files of `flummel` hold it: an XML property list of the
// unit's class info.
#pragma once

#include <string>

#include "host/flummel/EffectOptions.h"
#include "platform/audio/AudioUnitTypes.h"
#include "platform/cf/CFBase.h"

class AUHost;

// Restores the preset at `path` into the unit; throws CliError.
void RestorePreset(AudioUnit unit, const std::string& path);

// The unit's class info; throws CliError.
CFRef<CFPropertyListRef> SaveState(AudioUnit unit);

// Writes `state` to `path`; throws CliError naming `shownPath`.
void WritePreset(CFPropertyListRef state, const std::string& path, const std::string& shownPath);

// Restores the options' preset, then applies their --set values; throws CliError.
void ApplyEffectOptions(AUHost& host, const EffectOptions& o);
