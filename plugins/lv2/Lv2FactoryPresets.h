// The factory presets as LV2 presets: each class-info property list in a directory restored
// into a fresh effect, its port values read back. The preset's label is the state's name and
// its URI carries the file's base name.
#pragma once

#include <string>
#include <vector>

#include "plugins/lv2/Lv2TurtleWriter.h"

class Lv2FactoryPresets {
public:
    static constexpr const char* kUriPrefix = "urn:flummel:lv2:preset:";

    // Every *.plist in `dir` in the order of the file names. False with `error` set when a file
    // cannot be read or is not a state of the effect.
    static bool Read(const std::string& dir, std::vector<Lv2Preset>& out, std::string& error);
};
