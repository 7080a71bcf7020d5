#include "plugins/lv2/Lv2FactoryPresets.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include "engine/TrWkFlummelEntry.h"
#include "host/AUHost.h"
#include "platform/cf/CFDictionary.h"
#include "platform/cf/CFPropertyList.h"
#include "platform/cf/CFString.h"

namespace {

bool ReadOne(const std::filesystem::path& file, Lv2Preset& preset, std::string& error)
{
    CFRef<CFStringRef> why;
    const CFRef<CFPropertyListRef> state(CFPropertyListCreateFromFile(file.c_str(), why.adopt()));
    if (!state || CFGetTypeID(state) != CFDictionaryGetTypeID()) {
        error = file.string() + ": not a property list of a state" + (why ? ": " + CFStringToUTF8(why) : "");
        return false;
    }
    std::unique_ptr<AUHost> host;
    OSStatus err = AUHost::Open(TrWkFlummelDescription(), host);
    const CFPropertyListRef ref = state.get();
    if (err == noErr)
        err = AudioUnitSetProperty(host->Unit(), kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &ref,
                                   sizeof ref);
    Lv2ParameterList parameters;
    if (err == noErr) err = parameters.Fetch(host->Unit());
    if (err != noErr) {
        error = file.string() + ": not a state of the effect (status " + std::to_string(err) + ")";
        return false;
    }

    const auto name = static_cast<CFStringRef>(
        CFDictionaryGetValue(static_cast<CFDictionaryRef>(ref), CFSTR("name")));
    preset.label = name && CFGetTypeID(name) == CFStringGetTypeID() ? CFStringToUTF8(name) : file.stem().string();
    preset.uri = Lv2FactoryPresets::kUriPrefix + file.stem().string();
    for (const Lv2ParameterList::Parameter& p : parameters.Parameters()) {
        if (p.trigger) continue;  // a preset never fires a trigger
        float value = 0.f;
        if ((err = host->GetParameter(p.id, value)) != noErr) {
            error = file.string() + ": reading " + p.name + " failed (status " + std::to_string(err) + ")";
            return false;
        }
        preset.ports.emplace_back(p.symbol, value);
    }
    return true;
}

}  // namespace

bool Lv2FactoryPresets::Read(const std::string& dir, std::vector<Lv2Preset>& out, std::string& error)
{
    RegisterTrWkFlummel();
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
        if (entry.path().extension() == ".plist") files.push_back(entry.path());
    if (ec) {
        error = dir + ": " + ec.message();
        return false;
    }
    std::sort(files.begin(), files.end());
    out.clear();
    for (const auto& file : files) {
        Lv2Preset preset;
        if (!ReadOne(file, preset, error)) return false;
        out.push_back(std::move(preset));
    }
    return true;
}
