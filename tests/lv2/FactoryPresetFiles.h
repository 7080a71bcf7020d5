// The factory presets in the source tree: class-info property lists named NAME.plist.
#pragma once

#include <set>
#include <string>
#include <vector>

struct FactoryPresetFile {
    std::string name;   // the file's base name
    std::string label;  // the state's "name"
    std::string path;
};

// In name order.
std::vector<FactoryPresetFile> FactoryPresetFiles();
std::set<std::string> FactoryPresetLabels();
