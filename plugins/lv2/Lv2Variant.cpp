#include "plugins/lv2/Lv2Variant.h"

namespace {

const char* const kStereoIn[] = {"in_l", "in_r"};
const char* const kStereoInNames[] = {"In L", "In R"};
const char* const kStereoOut[] = {"out_l", "out_r"};
const char* const kStereoOutNames[] = {"Out L", "Out R"};
const char* const kMonoIn[] = {"in"};
const char* const kMonoInNames[] = {"In"};
const char* const kMonoOut[] = {"out"};
const char* const kMonoOutNames[] = {"Out"};
const char* const kStereoDesignations[] = {"pg:left", "pg:right"};
const char* const kMonoDesignations[] = {"pg:center"};

const Lv2Variant kVariants[Lv2Variant::kCount] = {
    {"urn:flummel:lv2:stereo", "Flummel", 2, kStereoIn, kStereoInNames, kStereoOut, kStereoOutNames, "pg:StereoGroup",
     kStereoDesignations},
    {"urn:flummel:lv2:mono", "Flummel Mono", 1, kMonoIn, kMonoInNames, kMonoOut, kMonoOutNames, "pg:MonoGroup",
     kMonoDesignations},
};

}  // namespace

const Lv2Variant& Lv2Variant::At(uint32_t index) { return kVariants[index]; }

const Lv2Variant* Lv2Variant::Find(std::string_view uri)
{
    for (const Lv2Variant& v : kVariants)
        if (uri == v.uri) return &v;
    return nullptr;
}
