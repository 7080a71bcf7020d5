#include "plugins/lv2/Lv2ParameterList.h"

#include <cmath>
#include <set>

#include "engine/FlummelParameters.h"
#include "platform/audio/AudioUnitCalls.h"
#include "platform/cf/CFString.h"
#include "plugins/lv2/Lv2PortPresentation.h"

namespace {

void ReadNamedValues(AudioUnit unit, Lv2ParameterList::Parameter& p)
{
    for (float v = std::ceil(p.minValue); v <= p.maxValue; v += 1.f) {
        AudioUnitParameterStringFromValue record{p.id, &v, nullptr};
        UInt32 size = sizeof record;
        const OSStatus result = AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterStringFromValue,
                                                     kAudioUnitScope_Global, 0, &record, &size);
        const CFRef<CFStringRef> name(record.outString);
        if (result == noErr && name) p.namedValues.emplace_back(v, CFStringToUTF8(name));
    }
}

}  // namespace

std::string Lv2ParameterList::Symbol(std::string_view name)
{
    std::string symbol;
    bool gap = false;
    for (char c : name) {
        const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum) {
            gap = !symbol.empty();
            continue;
        }
        if (gap) symbol += '_';
        gap = false;
        symbol += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    if (symbol.empty() || (symbol[0] >= '0' && symbol[0] <= '9')) symbol.insert(0, "p_");
    return symbol;
}

OSStatus Lv2ParameterList::Fetch(AudioUnit unit)
{
    mParameters.clear();
    std::vector<AUParameterDescription> all;
    const OSStatus result = AUParameterDescription::ReadAll(unit, all);
    if (result != noErr) return result;
    std::set<std::string> symbols;
    for (AUParameterDescription& d : all) {
        Parameter p;
        static_cast<AUParameterDescription&>(p) = std::move(d);
        p.symbol = Symbol(p.name);
        p.trigger = p.id == kParam_ReSync || p.id == kParam_LfoReSync;
        if (p.flags & kAudioUnitParameterFlag_ValuesHaveStrings) ReadNamedValues(unit, p);
        Lv2PortPresentation::Apply(p);
        if (!symbols.insert(p.symbol).second) return kAudioUnitErr_InvalidPropertyValue;
        mParameters.push_back(std::move(p));
    }
    return noErr;
}
