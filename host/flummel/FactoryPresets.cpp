#include "host/flummel/FactoryPresets.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "host/flummel/CliError.h"
#include "platform/cf/CFDictionary.h"
#include "platform/cf/CFPropertyList.h"
#include "platform/cf/CFString.h"

#ifndef FLUMMEL_PRESETS_DIR
#error "the build names the factory presets' directory (FLUMMEL_PRESETS_DIR)"
#endif

namespace fs = std::filesystem;

namespace {

constexpr const char* kInstalled = "../share/flummel/presets";  // from the program's directory

std::string Key(const std::string& s)
{
    std::string k;
    for (unsigned char c : s)
        if (c != ' ' && c != '-' && c != '_') k += char(std::tolower(c));
    return k;
}

std::string Label(const fs::path& file)
{
    const CFRef<CFPropertyListRef> state(CFPropertyListCreateFromFile(file.c_str(), nullptr));
    if (state && CFGetTypeID(state) == CFDictionaryGetTypeID()) {
        const auto name = static_cast<CFStringRef>(
            CFDictionaryGetValue(static_cast<CFDictionaryRef>(state.get()), CFSTR("name")));
        if (name && CFGetTypeID(name) == CFStringGetTypeID()) return CFStringToUTF8(name);
    }
    return file.stem().string();
}

}  // namespace

std::string FactoryPresets::Directory()
{
    std::error_code ec;
    const fs::path installed = fs::read_symlink("/proc/self/exe", ec).parent_path() / kInstalled;
    if (!ec && fs::is_directory(installed, ec)) return installed.lexically_normal().string();
    return FLUMMEL_PRESETS_DIR;
}

std::vector<FactoryPreset> FactoryPresets::List()
{
    std::vector<FactoryPreset> presets;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(Directory(), ec))
        if (entry.path().extension() == ".plist")
            presets.push_back({entry.path().stem().string(), Label(entry.path()), entry.path().string()});
    std::sort(presets.begin(), presets.end(),
              [](const FactoryPreset& a, const FactoryPreset& b) { return a.name < b.name; });
    return presets;
}

std::string FactoryPresets::Resolve(const std::string& nameOrPath)
{
    std::error_code ec;
    if (nameOrPath.find('/') != std::string::npos || fs::path(nameOrPath).has_extension() ||
        fs::exists(nameOrPath, ec))
        return nameOrPath;
    for (const FactoryPreset& p : List())
        if (Key(p.name) == Key(nameOrPath) || Key(p.label) == Key(nameOrPath)) return p.path;
    throw CliError("unknown preset '" + nameOrPath + "' (flummel presets lists them)");
}
