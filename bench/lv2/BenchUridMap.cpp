#include "BenchUridMap.h"

BenchUridMap::BenchUridMap()
{
    mUris.reserve(1024);
    mMap = {this, [](LV2_URID_Map_Handle h, const char* uri) { return static_cast<BenchUridMap*>(h)->Map(uri); }};
    mUnmap = {this, [](LV2_URID_Unmap_Handle h, LV2_URID u) { return static_cast<const BenchUridMap*>(h)->Unmap(u); }};
    mFeatures[0] = {LV2_URID__map, &mMap};
    mFeatures[1] = {LV2_URID__unmap, &mUnmap};
    mFeatureList[0] = &mFeatures[0];
    mFeatureList[1] = &mFeatures[1];
    mFeatureList[2] = nullptr;
}

LV2_URID BenchUridMap::Map(const char* uri)
{
    for (size_t i = 0; i < mUris.size(); ++i)
        if (mUris[i] == uri) return LV2_URID(i + 1);
    mUris.emplace_back(uri);
    return LV2_URID(mUris.size());
}

const char* BenchUridMap::Unmap(LV2_URID urid) const
{
    return urid >= 1 && urid <= mUris.size() ? mUris[urid - 1].c_str() : nullptr;
}
