// The factory presets: class-info property lists named NAME.plist in the presets directory,
// the installed one beside the program (../share/flummel/presets) or else the build's.
#pragma once

#include <string>
#include <vector>

struct FactoryPreset {
    std::string name;   // the file's base name: "reverse-echo"
    std::string label;  // the state's own name: "Reverse Echo"
    std::string path;
};

class FactoryPresets {
public:
    static std::string Directory();
    // By name, in name order.
    static std::vector<FactoryPreset> List();
    // A preset option's value as a file: itself when it names a file (it has a slash or an
    // extension, or exists), else the factory preset of that name or label (case, spaces,
    // dashes and underscores aside). Throws CliError for an unknown name.
    static std::string Resolve(const std::string& nameOrPath);
};
