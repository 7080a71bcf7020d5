// The bundle's Turtle: the manifest and the description of every plug-in variant, with one
// control port per effect parameter as the parameter list gives it.
#pragma once

#include <string>

#include "plugins/lv2/Lv2ParameterList.h"
#include "plugins/lv2/Lv2Variant.h"

class Lv2TurtleWriter {
public:
    static std::string Manifest(const std::string& binary, const std::string& description);
    static std::string Description(const Lv2ParameterList& parameters);

    // The shortest decimal that reads back as the same float, always with a point: "0.01", "30.0".
    static std::string Decimal(float value);
    // A string literal with quotes and backslashes escaped.
    static std::string Literal(const std::string& text);

private:
    static std::string Plugin(const Lv2Variant& variant, const Lv2ParameterList& parameters);
    static std::string ControlPort(uint32_t index, const Lv2ParameterList::Parameter& p);
};
