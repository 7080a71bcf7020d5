// LV2 states and presets as hosts write them (Turtle: a host's saved state.ttl, a preset file),
// read through lilv: the effect's class-info dictionary when the state holds it, and port
// values by port symbol.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/cf/CFBase.h"

class HostPresetReader {
public:
    struct Preset {
        CFRef<CFPropertyListRef> classInfo;               // null when the state holds none
        std::vector<std::pair<std::string, float>> ports;  // symbol, value
    };

    // A Turtle file (.ttl), or a directory holding state.ttl.
    static bool Handles(const std::string& path);
    // Throws CliError naming `path` when lilv cannot read it, when it is the state of another
    // plug-in or holds neither a class-info dictionary nor port values.
    static Preset Read(const std::string& path);
};
