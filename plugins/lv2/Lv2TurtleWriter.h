// The bundle's Turtle: the manifest, the description of every plug-in variant (one control
// port per effect parameter as the parameter list gives it, the bypass switch, the notify
// output, port groups and metadata) and of the UI, and the factory presets.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "plugins/lv2/Lv2ParameterList.h"
#include "plugins/lv2/Lv2Variant.h"

struct Lv2Preset {
    std::string uri;
    std::string label;
    std::vector<std::pair<std::string, float>> ports;  // symbol, value
};

class Lv2TurtleWriter {
public:
    struct Version {
        unsigned minor = 0, micro = 0;
    };

    static std::string Manifest(const std::string& binary, const std::string& uiBinary,
                                const std::string& description, const std::vector<Lv2Preset>& presets,
                                const std::string& presetFile);
    static std::string Description(const Lv2ParameterList& parameters, Version version);
    static std::string Presets(const std::vector<Lv2Preset>& presets);

    // The shortest decimal that reads back as the same float, always with a point: "0.01", "30.0".
    static std::string Decimal(float value);
    // A string literal with quotes and backslashes escaped.
    static std::string Literal(const std::string& text);

private:
    static std::string Plugin(const Lv2Variant& variant, const Lv2ParameterList& parameters, Version version);
    static std::string ControlPort(uint32_t index, const Lv2ParameterList::Parameter& p);
    static std::string EnabledPort(uint32_t index);
    static std::string NotifyPort(uint32_t index);
    static std::string Ui(const Lv2ParameterList& parameters);
};
