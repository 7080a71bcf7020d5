// The editor's two font paths resolve to installed faces of the right kind.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

#include "platform/desktop/FontLocator.h"

namespace {

struct Face {
    FT_Library lib = nullptr;
    FT_Face face = nullptr;
    explicit Face(const std::string& path)
    {
        if (FT_Init_FreeType(&lib) == 0 && FT_New_Face(lib, path.c_str(), 0, &face) != 0) face = nullptr;
    }
    ~Face()
    {
        if (face) FT_Done_Face(face);
        if (lib) FT_Done_FreeType(lib);
    }
};

}  // namespace

TEST(FontLocator, TheEditorsFontPathsMapToASansAndAMonospacedFaceAndOthersStillGetOne)
{
    std::string sans = FontLocator::FileFor("/Library/Fonts/GillSans.dfont");
    std::string mono = FontLocator::FileFor("/System/Library/Fonts/Monaco.dfont");
    Face s(sans), m(mono);
    ASSERT_NE(s.face, nullptr) << sans;
    ASSERT_NE(m.face, nullptr) << mono;
    EXPECT_TRUE(FT_IS_SCALABLE(s.face) && FT_IS_SCALABLE(m.face));
    EXPECT_FALSE(FT_IS_FIXED_WIDTH(s.face)) << s.face->family_name;
    EXPECT_TRUE(FT_IS_FIXED_WIDTH(m.face)) << m.face->family_name;
    for (char c : std::string("Az09%:")) EXPECT_NE(FT_Get_Char_Index(s.face, FT_ULong(c)), 0u) << c;
    EXPECT_EQ(FontLocator::FileFor(mono.c_str()), mono);  // an existing file is kept
    Face fallback(FontLocator::FileFor("/nowhere/NoSuchFaceAtAll.ttf"));
    EXPECT_NE(fallback.face, nullptr);
    EXPECT_FALSE(FontLocator::FileFor(nullptr).empty());
}
