// How a parameter's port presents it to hosts beyond name and range: its unit, a logarithmic
// scale where the range spans decades, and scale points with distinct labels.
#pragma once

#include "plugins/lv2/Lv2ParameterList.h"

class Lv2PortPresentation {
public:
    // The unit the saturation drive is counted in (0 to 11), which LV2 has no word for.
    static constexpr const char* kDriveUnit = "urn:flummel:lv2:drive";

    // Fills in the unit, the scale and the scale points of a parameter read from the effect.
    static void Apply(Lv2ParameterList::Parameter& p);
    // Labels made distinct: a repeated label is told apart by its place, "Thru (end)" at the
    // top of the range, else by its value.
    static void DistinctLabels(std::vector<std::pair<float, std::string>>& points);
};
