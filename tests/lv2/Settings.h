// Control settings applied alike to a plug-in instance (by port symbol) and to the reference
// (by parameter id).
#pragma once

#include <string>
#include <vector>

#include "engine/FlummelParameters.h"
#include "lv2/Lv2Harness.h"
#include "lv2/Reference.h"

struct Setting {
    std::string symbol;
    AudioUnitParameterID id;
    float value;
};

// Every stage busy: a short loop with feedback, saturation, a morphing filter swept by the LFO.
inline const std::vector<Setting> kBusy = {
    {"delay_time", kParam_DelayTime, 0.0625f},   {"feedback", kParam_Feedback, 60.f},
    {"dry_level", kParam_DryLevel, 0.75f},       {"filter_type", kParam_FilterType, 1.5f},
    {"filter_q", kParam_FilterQ, 0.375f},        {"filter_lfo_speed", kParam_FilterLfoSpeed, 3.f},
    {"filter_lfo_amount", kParam_FilterLfoAmount, 1.5f}, {"saturation_amount", kParam_SaturationAmount, 4.f},
};

inline void Apply(const std::vector<Setting>& settings, Lv2Instance& plugin, Reference& reference)
{
    for (const Setting& s : settings) {
        plugin.Control(s.symbol) = s.value;
        reference.Set(s.id, s.value);
    }
}
