// The effect's parameters as the plug-in ports present them, read from an open unit through
// the host calls: the parameter list, each parameter's information, its value strings and
// the names of its whole values.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/AUParameterDescription.h"

class Lv2ParameterList {
public:
    struct Parameter : AUParameterDescription {
        std::string symbol;  // the port symbol, unique in the list
        // Scale points of a parameter that is not an enumeration, with distinct labels.
        std::vector<std::pair<float, std::string>> namedValues;
        bool trigger = false;  // fires once on a rising edge; the effect clears it
        std::string lv2Unit;   // a Turtle term ("units:hz"); empty when the points say it all
        bool logarithmic = false;

        bool Toggle() const { return unit == kAudioUnitParameterUnit_Boolean; }
        bool Enumeration() const { return !valueStrings.empty(); }
    };

    // Reads every global parameter of the unit; fails with the first failing call's status,
    // or kAudioUnitErr_InvalidPropertyValue when two names give the same symbol.
    OSStatus Fetch(AudioUnit unit);

    const std::vector<Parameter>& Parameters() const { return mParameters; }
    size_t Size() const { return mParameters.size(); }

    // Lower case letters and digits, runs of anything else as one underscore: "Re-Sync" -> "re_sync".
    static std::string Symbol(std::string_view name);

private:
    std::vector<Parameter> mParameters;
};
