#include "plugins/lv2/Lv2PortPresentation.h"

#include <set>
#include <string>

#include "engine/FlummelParameters.h"
#include "plugins/lv2/Lv2TurtleWriter.h"

namespace {

// The LV2 unit of a parameter unit, as a Turtle term; empty for units LV2 has no word for.
std::string Unit(AudioUnitParameterUnit unit)
{
    switch (unit) {
    case kAudioUnitParameterUnit_Seconds: return "units:s";
    case kAudioUnitParameterUnit_Milliseconds: return "units:ms";
    case kAudioUnitParameterUnit_Percent: return "units:pc";
    case kAudioUnitParameterUnit_Hertz: return "units:hz";
    case kAudioUnitParameterUnit_Beats: return "units:beat";
    case kAudioUnitParameterUnit_BPM: return "units:bpm";
    case kAudioUnitParameterUnit_Decibels: return "units:db";
    case kAudioUnitParameterUnit_Cents: return "units:cent";
    case kAudioUnitParameterUnit_RelativeSemiTones: return "units:semitone12TET";
    case kAudioUnitParameterUnit_MIDINoteNumber: return "units:midiNote";
    case kAudioUnitParameterUnit_Octaves: return "units:oct";
    case kAudioUnitParameterUnit_LinearGain:
    case kAudioUnitParameterUnit_MixerFaderCurve1: return "units:coef";
    default: return "";
    }
}

}  // namespace

void Lv2PortPresentation::Apply(Lv2ParameterList::Parameter& p)
{
    p.lv2Unit = Unit(p.unit);
    switch (p.id) {
    case kParam_FilterQ: p.lv2Unit = "units:coef"; break;  // 1 is undamped
    case kParam_SaturationAmount: p.lv2Unit = std::string("<") + kDriveUnit + ">"; break;
    case kParam_SaturationShape:
        p.lv2Unit = "units:coef";
        p.namedValues = {{0.f, "Hard clip"}, {1.f, "Soft clip"}};
        break;
    case kParam_FilterLfoAmount: p.lv2Unit = "units:oct"; break;
    case kParam_FilterCutoff:
    case kParam_FilterLfoSpeed: p.logarithmic = true; break;
    default: break;
    }
    if (p.Toggle()) p.namedValues = {{0.f, "Off"}, {1.f, "On"}};
    DistinctLabels(p.namedValues);
}

void Lv2PortPresentation::DistinctLabels(std::vector<std::pair<float, std::string>>& points)
{
    std::set<std::string> seen;
    for (size_t i = 0; i < points.size(); ++i) {
        std::string& label = points[i].second;
        if (seen.insert(label).second) continue;
        label += i + 1 == points.size() ? " (end)" : " (" + Lv2TurtleWriter::Decimal(points[i].first) + ")";
        seen.insert(label);
    }
}
