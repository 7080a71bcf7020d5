#include "host/flummel/EffectParameters.h"

#include <cctype>
#include <cstdio>

#include "host/flummel/CliError.h"
#include "host/flummel/RenderOptions.h"

namespace {

std::string Key(const std::string& s)
{
    std::string k;
    for (unsigned char c : s) {
        if (c == ' ' || c == '-' || c == '_') continue;
        k += char(std::tolower(c));
    }
    return k;
}

std::string Format(float v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", double(v));
    return buffer;
}

}  // namespace

EffectParameters::EffectParameters(AudioUnit unit)
{
    const OSStatus err = AUParameterDescription::ReadAll(unit, mParameters);
    if (err != noErr) throw CliError::Effect("reading the parameters", err);
}

const EffectParameter& EffectParameters::Find(const std::string& nameOrId) const
{
    const std::string key = Key(nameOrId);
    for (const EffectParameter& p : mParameters)
        if (Key(p.name) == key) return p;
    if (!nameOrId.empty() && nameOrId.find_first_not_of("0123456789") == std::string::npos)
        for (const EffectParameter& p : mParameters)
            if (std::to_string(p.id) == nameOrId) return p;
    throw CliError("unknown parameter '" + nameOrId + "' (flummel params lists them)");
}

float EffectParameters::ParseValue(const EffectParameter& p, const std::string& text)
{
    for (size_t i = 0; i < p.valueStrings.size(); ++i)
        if (Key(p.valueStrings[i]) == Key(text)) return p.minValue + float(i);
    const double v = ParseNumber(text, p.name);
    if (v < double(p.minValue) || v > double(p.maxValue))
        throw CliError(p.name + ": " + text + " is outside " + Format(p.minValue) + " to " + Format(p.maxValue));
    return float(v);
}

const char* UnitName(AudioUnitParameterUnit unit)
{
    switch (unit) {
    case kAudioUnitParameterUnit_Indexed: return "Indexed";
    case kAudioUnitParameterUnit_Boolean: return "Boolean";
    case kAudioUnitParameterUnit_Percent: return "Percent";
    case kAudioUnitParameterUnit_Seconds: return "Seconds";
    case kAudioUnitParameterUnit_Hertz: return "Hertz";
    case kAudioUnitParameterUnit_Decibels: return "Decibels";
    case kAudioUnitParameterUnit_LinearGain:
    case kAudioUnitParameterUnit_MixerFaderCurve1: return "Gain";
    case kAudioUnitParameterUnit_Beats: return "Beats";
    case kAudioUnitParameterUnit_Milliseconds: return "Milliseconds";
    case kAudioUnitParameterUnit_Ratio: return "Ratio";
    default: return "Generic";
    }
}
