// The URID map and unmap features the benchmark host offers plug-ins.
#pragma once

#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include <string>
#include <vector>

class BenchUridMap {
public:
    BenchUridMap();
    BenchUridMap(const BenchUridMap&) = delete;
    BenchUridMap& operator=(const BenchUridMap&) = delete;

    LV2_URID Map(const char* uri);
    const char* Unmap(LV2_URID urid) const;
    // Null-terminated, for instantiation.
    const LV2_Feature* const* Features() const { return mFeatureList; }

private:
    std::vector<std::string> mUris;  // URID n at n - 1
    LV2_URID_Map mMap;
    LV2_URID_Unmap mUnmap;
    LV2_Feature mFeatures[2];
    const LV2_Feature* mFeatureList[3];
};
