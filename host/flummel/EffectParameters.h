// The global parameters of a unit as its host calls report them, with lookup by the names a
// user types and reading of typed values.
#pragma once

#include <string>
#include <vector>

#include "host/AUParameterDescription.h"

using EffectParameter = AUParameterDescription;

class EffectParameters {
public:
    explicit EffectParameters(AudioUnit unit);  // throws CliError

    const std::vector<EffectParameter>& All() const { return mParameters; }
    // By id or by name (case-insensitive; spaces, dashes and underscores alike). Throws CliError.
    const EffectParameter& Find(const std::string& nameOrId) const;
    // A value in the parameter's units, or one of its value strings; in range. Throws CliError.
    static float ParseValue(const EffectParameter& p, const std::string& text);

private:
    std::vector<EffectParameter> mParameters;
};

// "Seconds", "Percent", ...: the unit a table shows.
const char* UnitName(AudioUnitParameterUnit unit);
