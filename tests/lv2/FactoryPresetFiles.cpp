#include "lv2/FactoryPresetFiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

std::vector<FactoryPresetFile> FactoryPresetFiles()
{
    std::vector<FactoryPresetFile> files;
    for (const auto& entry : std::filesystem::directory_iterator(FLUMMEL_PRESETS_DIR)) {
        if (entry.path().extension() != ".plist") continue;
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        const std::string xml = text.str();
        std::smatch m;
        const bool named = std::regex_search(xml, m, std::regex("<key>name</key>\\s*<string>([^<]*)</string>"));
        files.push_back({entry.path().stem().string(), named ? m[1].str() : "", entry.path().string()});
    }
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return files;
}

std::set<std::string> FactoryPresetLabels()
{
    std::set<std::string> labels;
    for (const FactoryPresetFile& f : FactoryPresetFiles()) labels.insert(f.label);
    return labels;
}
