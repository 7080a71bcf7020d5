// PNG importers on libpng's simplified reader; offscreen pictures over caller memory.
#include "platform/desktop/ImageImport.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/desktop/DesktopInternal.h"

struct OpaqueGraphicsImporter {
    std::vector<UInt8> file;
    png_uint_32 width = 0, height = 0;
    CGrafPtr port = nullptr;
};

namespace {

// No PNG an editor loads comes near this; it keeps a wrong path from filling memory.
constexpr size_t kLargestFile = size_t(1) << 30;

png_uint_32 FormatFor(OSType pixelFormat)
{
    switch (pixelFormat) {
    case k32BGRAPixelFormat: return PNG_FORMAT_BGRA;
    case k32RGBAPixelFormat: return PNG_FORMAT_RGBA;
    default: return PNG_FORMAT_ARGB;
    }
}

bool Begin(png_image& img, const std::vector<UInt8>& file)
{
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    return png_image_begin_read_from_memory(&img, file.data(), file.size()) != 0;
}

}  // namespace

OSErr GetGraphicsImporterForFile(const FSSpec* file, GraphicsImportComponent* outImporter)
{
    if (!outImporter) return paramErr;
    *outImporter = nullptr;
    if (!file) return paramErr;
    auto* gi = new OpaqueGraphicsImporter;
    if (int error = ReadWholeFile(file->path, kLargestFile, gi->file)) {
        delete gi;
        return error == ENOENT || error == ENOTDIR ? OSErr(fnfErr) : OSErr(cantFindHandler);
    }
    png_image img;
    if (gi->file.size() < 8 || png_sig_cmp(gi->file.data(), 0, 8) != 0 || !Begin(img, gi->file)) {
        delete gi;
        return cantFindHandler;
    }
    gi->width = img.width;
    gi->height = img.height;
    png_image_free(&img);
    // Beyond what a Rect can hold, or more pixels than an editor image should ever need.
    if (gi->width > 0x7fff || gi->height > 0x7fff || UInt64(gi->width) * gi->height > (UInt64(1) << 26)) {
        delete gi;
        return cantFindHandler;
    }
    *outImporter = gi;
    return noErr;
}

ComponentResult GraphicsImportGetNaturalBounds(GraphicsImportComponent gi, Rect* naturalBounds)
{
    if (!gi) return invalidComponentErr;
    if (!naturalBounds) return paramErr;
    *naturalBounds = Rect{0, 0, SInt16(gi->height), SInt16(gi->width)};
    return noErr;
}

ComponentResult GraphicsImportSetGWorld(GraphicsImportComponent gi, CGrafPtr port, GDHandle)
{
    if (!gi) return invalidComponentErr;
    if (port && port->kind != OpaqueGrafPtr::OffscreenPicture) return paramErr;
    gi->port = port;
    return noErr;
}

ComponentResult GraphicsImportDraw(GraphicsImportComponent gi)
{
    if (!gi) return invalidComponentErr;
    CGrafPtr p = gi->port;
    if (!p || !p->baseAddr) return noGWorldErr;
    png_image img;
    if (!Begin(img, gi->file)) return codecBadDataErr;
    img.format = FormatFor(p->pixelFormat);
    std::vector<UInt8> pixels(size_t(img.width) * img.height * 4);
    if (!png_image_finish_read(&img, nullptr, pixels.data(), png_int_32(img.width * 4), nullptr)) {
        png_image_free(&img);
        return codecBadDataErr;
    }
    int w = std::min<int>(int(img.width), p->bounds.right - p->bounds.left);
    int h = std::min<int>(int(img.height), p->bounds.bottom - p->bounds.top);
    for (int row = 0; row < h; ++row)
        std::memcpy(p->baseAddr + size_t(row) * size_t(p->rowBytes), pixels.data() + size_t(row) * img.width * 4,
                    size_t(w) * 4);
    return noErr;
}

OSErr CloseComponent(GraphicsImportComponent gi)
{
    if (!gi) return invalidComponentErr;
    delete gi;
    return noErr;
}

OSErr QTNewGWorldFromPtr(GWorldPtr* outGWorld, OSType pixelFormat, const Rect* bounds, CTabHandle, GDHandle,
                         GWorldFlags, void* baseAddr, long rowBytes)
{
    if (!outGWorld) return paramErr;
    *outGWorld = nullptr;
    if (!bounds || !baseAddr || EmptyRect(bounds)) return paramErr;
    if (pixelFormat != k32ARGBPixelFormat && pixelFormat != k32BGRAPixelFormat && pixelFormat != k32RGBAPixelFormat)
        return paramErr;
    if (rowBytes < long(bounds->right - bounds->left) * 4) return paramErr;
    auto* g = new OpaqueGrafPtr;
    g->kind = OpaqueGrafPtr::OffscreenPicture;
    g->pixelFormat = pixelFormat;
    g->bounds = *bounds;
    g->baseAddr = static_cast<UInt8*>(baseAddr);
    g->rowBytes = rowBytes;
    *outGWorld = g;
    return noErr;
}

void DisposeGWorld(GWorldPtr gworld)
{
    if (gworld && gworld->kind == OpaqueGrafPtr::OffscreenPicture) delete gworld;
}
