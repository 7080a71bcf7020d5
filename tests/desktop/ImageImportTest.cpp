// PNG import as the toolkit does it, the ways it fails: missing, foreign, empty and cut-short files.
// A good image's pixels are met by the toolkit's texture test.
#include <gtest/gtest.h>

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/cf/CFString.h"
#include "platform/desktop/CFBundle.h"
#include "platform/desktop/ImageImport.h"
#include "platform/desktop/Windows.h"
#include "tests/desktop/ScopedEnvironment.h"
#include "tests/desktop/TempDirectory.h"

namespace {

using Bytes = std::vector<UInt8>;

// Writes a PNG of RGBA pixels to `path`.
bool WritePNG(const std::string& path, int w, int h, const Bytes& pixels)
{
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    img.width = png_uint_32(w);
    img.height = png_uint_32(h);
    img.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&img, path.c_str(), 0, pixels.data(), 0, nullptr) != 0;
}

// Opens the bundle resource `name` the way the toolkit's texture loader does.
OSErr OpenResource(const char* name, GraphicsImportComponent* gi)
{
    CFRef<CFStringRef> n(CFStringCreateWithCString(nullptr, name, kCFStringEncodingASCII));
    CFRef<CFURLRef> url(
        CFBundleCopyResourceURL(CFBundleGetBundleWithIdentifier(CFSTR("com.TrWk.test.Flml")), n, nullptr, nullptr));
    FSRef ref;
    FSSpec file;
    if (!url || !CFURLGetFSRef(url, &ref)) return fnfErr;
    OSErr e = FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, &file, nullptr);
    return e != noErr ? e : GetGraphicsImporterForFile(&file, gi);
}

class ImageImport : public ::testing::Test {
protected:
    TempDirectory mDir;
    ScopedEnvironment mResources{"FLUMMEL_RESOURCES", mDir.Path().c_str()};
};

}  // namespace

TEST_F(ImageImport, MissingDamagedAndForeignFilesFailCleanly)
{
    GraphicsImportComponent gi = reinterpret_cast<GraphicsImportComponent>(1);
    EXPECT_EQ(OpenResource("missing.png", &gi), OSErr(fnfErr));

    ASSERT_TRUE(mDir.Write("knobshader.txt", "!!ARBvp1.0\nEND\n"));
    EXPECT_EQ(OpenResource("knobshader.txt", &gi), OSErr(cantFindHandler));
    ASSERT_TRUE(mDir.Write("empty.png", ""));
    EXPECT_EQ(OpenResource("empty.png", &gi), OSErr(cantFindHandler));
    EXPECT_EQ(gi, nullptr);

    // A PNG cut short after its header opens, but drawing it fails and leaves the picture alone.
    ASSERT_TRUE(WritePNG(mDir / "cut.png", 64, 64, Bytes(64 * 64 * 4, 90)));
    struct stat st;
    ASSERT_EQ(stat((mDir / "cut.png").c_str(), &st), 0);
    ASSERT_EQ(truncate((mDir / "cut.png").c_str(), st.st_size - 24), 0);  // IEND and the end of the data gone
    ASSERT_EQ(OpenResource("cut.png", &gi), noErr);
    Bytes pixels(64 * 64 * 4, 0xee);
    const Rect r{0, 0, 64, 64};
    GWorldPtr world = nullptr;
    ASSERT_EQ(QTNewGWorldFromPtr(&world, k32ARGBPixelFormat, &r, nullptr, nullptr, 0, pixels.data(), 64 * 4), noErr);
    GraphicsImportSetGWorld(gi, world, nullptr);
    EXPECT_EQ(GraphicsImportDraw(gi), ComponentResult(codecBadDataErr));
    CloseComponent(gi);
    DisposeGWorld(world);
    EXPECT_EQ(pixels, Bytes(pixels.size(), 0xee));
}
