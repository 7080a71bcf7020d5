// PNG import as the toolkit does it: bundle URL, file, importer, natural bounds, drawing into
// an offscreen picture over the caller's pixels; and the ways it fails.
#include <gtest/gtest.h>

#include <png.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/cf/CFString.h"
#include "platform/desktop/CFBundle.h"
#include "platform/desktop/ImageImport.h"
#include "platform/desktop/Windows.h"
#include "tests/desktop/ScopedEnvironment.h"
#include "tests/desktop/TempDirectory.h"

namespace {

// Writes a PNG of RGBA pixels (or grey values when `grey`) to `path`.
bool WritePNG(const std::string& path, int w, int h, const std::vector<UInt8>& pixels, bool grey = false)
{
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    img.width = png_uint_32(w);
    img.height = png_uint_32(h);
    img.format = grey ? PNG_FORMAT_GRAY : PNG_FORMAT_RGBA;
    return png_image_write_to_file(&img, path.c_str(), 0, pixels.data(), 0, nullptr) != 0;
}

// 256 x 128: opaque red at the top left, half-transparent blue at the bottom right, grey elsewhere.
std::vector<UInt8> Pattern(int w, int h)
{
    std::vector<UInt8> p(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            UInt8* px = &p[(size_t(y) * w + x) * 4];
            if (x < w / 2 && y < h / 2) {
                px[0] = 255, px[1] = 0, px[2] = 0, px[3] = 255;
            } else if (x >= w / 2 && y >= h / 2) {
                px[0] = 0, px[1] = 0, px[2] = 255, px[3] = 128;
            } else {
                px[0] = 90, px[1] = 90, px[2] = 90, px[3] = 255;
            }
        }
    return p;
}

std::vector<UInt8> At(const std::vector<UInt8>& buf, long rowBytes, int x, int y)
{
    const UInt8* p = &buf[size_t(y) * size_t(rowBytes) + size_t(x) * 4];
    return {p[0], p[1], p[2], p[3]};
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

struct Picture {
    std::vector<UInt8> pixels;
    long rowBytes;
    GWorldPtr world = nullptr;
    Picture(OSType format, int w, int h, long pad = 0) : pixels(size_t(w * 4 + pad) * h, 0xee), rowBytes(w * 4 + pad)
    {
        Rect r{0, 0, SInt16(h), SInt16(w)};
        QTNewGWorldFromPtr(&world, format, &r, nullptr, nullptr, 0, pixels.data(), rowBytes);
    }
    ~Picture() { DisposeGWorld(world); }
};

class ImageImport : public ::testing::Test {
protected:
    TempDirectory mDir;
    ScopedEnvironment mResources{"FLUMMEL_RESOURCES", mDir.Path().c_str()};
};

}  // namespace

TEST_F(ImageImport, APNGLoadsWithItsNaturalBoundsIntoARGBPixels)
{
    ASSERT_TRUE(WritePNG(mDir / "disc.png", 256, 128, Pattern(256, 128)));
    GraphicsImportComponent gi = nullptr;
    ASSERT_EQ(OpenResource("disc.png", &gi), noErr);
    Rect bounds;
    ASSERT_EQ(GraphicsImportGetNaturalBounds(gi, &bounds), noErr);
    EXPECT_EQ(bounds.left, 0);
    EXPECT_EQ(bounds.top, 0);
    EXPECT_EQ(bounds.right, 256);
    EXPECT_EQ(bounds.bottom, 128);

    Picture pic(k32ARGBPixelFormat, 256, 128);
    ASSERT_NE(pic.world, nullptr);
    ASSERT_EQ(GraphicsImportSetGWorld(gi, pic.world, nullptr), noErr);
    ASSERT_EQ(GraphicsImportDraw(gi), noErr);
    EXPECT_EQ(CloseComponent(gi), noErr);
    // Bytes alpha, red, green, blue; the first row is the image's top; alpha is not premultiplied.
    EXPECT_EQ(At(pic.pixels, pic.rowBytes, 0, 0), (std::vector<UInt8>{255, 255, 0, 0}));
    EXPECT_EQ(At(pic.pixels, pic.rowBytes, 127, 63), (std::vector<UInt8>{255, 255, 0, 0}));
    EXPECT_EQ(At(pic.pixels, pic.rowBytes, 255, 127), (std::vector<UInt8>{128, 0, 0, 255}));
    EXPECT_EQ(At(pic.pixels, pic.rowBytes, 200, 10), (std::vector<UInt8>{255, 90, 90, 90}));
}

TEST_F(ImageImport, PicturesTakeTheirOwnByteOrderAndSizeAndAlphaLessImagesAreOpaque)
{
    ASSERT_TRUE(WritePNG(mDir / "rgba.png", 8, 4, Pattern(8, 4)));
    std::vector<UInt8> grey(6 * 3);
    for (size_t i = 0; i < grey.size(); ++i) grey[i] = UInt8(i * 10);
    ASSERT_TRUE(WritePNG(mDir / "grey.png", 6, 3, grey, true));

    GraphicsImportComponent gi = nullptr;
    ASSERT_EQ(OpenResource("rgba.png", &gi), noErr);
    {
        Picture bgra(k32BGRAPixelFormat, 8, 4);
        GraphicsImportSetGWorld(gi, bgra.world, nullptr);
        ASSERT_EQ(GraphicsImportDraw(gi), noErr);
        EXPECT_EQ(At(bgra.pixels, bgra.rowBytes, 0, 0), (std::vector<UInt8>{0, 0, 255, 255}));
        EXPECT_EQ(At(bgra.pixels, bgra.rowBytes, 7, 3), (std::vector<UInt8>{255, 0, 0, 128}));
    }
    {
        // Smaller than the image, with padded rows: cut to the picture, padding untouched.
        Picture small(k32RGBAPixelFormat, 5, 3, 8);
        GraphicsImportSetGWorld(gi, small.world, nullptr);
        ASSERT_EQ(GraphicsImportDraw(gi), noErr);
        EXPECT_EQ(At(small.pixels, small.rowBytes, 4, 2), (std::vector<UInt8>{0, 0, 255, 128}));
        EXPECT_EQ(small.pixels[20], 0xee);  // first byte of the first row's padding
        EXPECT_EQ(small.pixels.back(), 0xee);
    }
    CloseComponent(gi);

    ASSERT_EQ(OpenResource("grey.png", &gi), noErr);
    Picture big(k32ARGBPixelFormat, 10, 5);
    GraphicsImportSetGWorld(gi, big.world, nullptr);
    ASSERT_EQ(GraphicsImportDraw(gi), noErr);
    CloseComponent(gi);
    EXPECT_EQ(At(big.pixels, big.rowBytes, 5, 2), (std::vector<UInt8>{255, 170, 170, 170}));
    EXPECT_EQ(At(big.pixels, big.rowBytes, 6, 2), (std::vector<UInt8>(4, 0xee)));  // outside the image
    EXPECT_EQ(At(big.pixels, big.rowBytes, 0, 3), (std::vector<UInt8>(4, 0xee)));
}

TEST_F(ImageImport, MissingDamagedAndForeignFilesFailCleanly)
{
    GraphicsImportComponent gi = reinterpret_cast<GraphicsImportComponent>(1);
    EXPECT_EQ(OpenResource("missing.png", &gi), OSErr(fnfErr));
    FSSpec gone;
    std::snprintf(gone.path, sizeof gone.path, "%s", (mDir / "gone.png").c_str());
    EXPECT_EQ(GetGraphicsImporterForFile(&gone, &gi), OSErr(fnfErr));
    EXPECT_EQ(gi, nullptr);

    ASSERT_TRUE(mDir.Write("knobshader.txt", "!!ARBvp1.0\nEND\n"));
    EXPECT_EQ(OpenResource("knobshader.txt", &gi), OSErr(cantFindHandler));
    ASSERT_TRUE(mDir.Write("empty.png", ""));
    EXPECT_EQ(OpenResource("empty.png", &gi), OSErr(cantFindHandler));
    ASSERT_EQ(mkdir((mDir / "folder.png").c_str(), 0700), 0);
    EXPECT_EQ(OpenResource("folder.png", &gi), OSErr(cantFindHandler));
    EXPECT_EQ(gi, nullptr);

    // A PNG cut short after its header opens, but drawing it fails and leaves the picture alone.
    ASSERT_TRUE(WritePNG(mDir / "whole.png", 64, 64, Pattern(64, 64)));
    FILE* f = std::fopen((mDir / "whole.png").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::string bytes(1 << 16, '\0');
    bytes.resize(std::fread(&bytes[0], 1, bytes.size(), f));
    std::fclose(f);
    ASSERT_GT(bytes.size(), 70u);
    ASSERT_TRUE(mDir.Write("cut.png", bytes.substr(0, bytes.size() - 24)));  // IEND and the end of the data gone
    ASSERT_EQ(OpenResource("cut.png", &gi), noErr);
    Picture pic(k32ARGBPixelFormat, 64, 64);
    EXPECT_EQ(GraphicsImportDraw(gi), ComponentResult(noGWorldErr));  // nothing to draw into yet
    GraphicsImportSetGWorld(gi, pic.world, nullptr);
    EXPECT_EQ(GraphicsImportDraw(gi), ComponentResult(codecBadDataErr));
    CloseComponent(gi);
    EXPECT_EQ(pic.pixels, std::vector<UInt8>(pic.pixels.size(), 0xee));
}

TEST_F(ImageImport, PicturesRefuseWhatTheyCannotHold)
{
    std::vector<UInt8> mem(64);
    Rect r{0, 0, 2, 4};
    GWorldPtr world = reinterpret_cast<GWorldPtr>(1);
    EXPECT_EQ(QTNewGWorldFromPtr(&world, k32ARGBPixelFormat, &r, nullptr, nullptr, 0, mem.data(), 15), paramErr);
    EXPECT_EQ(world, nullptr);
    EXPECT_EQ(QTNewGWorldFromPtr(&world, FourCC("2vuy"), &r, nullptr, nullptr, 0, mem.data(), 16), paramErr);
    EXPECT_EQ(QTNewGWorldFromPtr(&world, k32ARGBPixelFormat, &r, nullptr, nullptr, 0, nullptr, 16), paramErr);
    Rect empty{0, 0, 0, 4};
    EXPECT_EQ(QTNewGWorldFromPtr(&world, k32ARGBPixelFormat, &empty, nullptr, nullptr, 0, mem.data(), 16), paramErr);
    ASSERT_EQ(QTNewGWorldFromPtr(&world, k32ARGBPixelFormat, &r, nullptr, nullptr, 0, mem.data(), 16), noErr);
    Rect back;
    GetPortBounds(world, &back);
    EXPECT_EQ(back.right, 4);
    EXPECT_EQ(back.bottom, 2);
    DisposeGWorld(world);
    EXPECT_EQ(GraphicsImportSetGWorld(nullptr, nullptr, nullptr), ComponentResult(invalidComponentErr));
}
