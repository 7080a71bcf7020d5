#include "host/flummel/PngFile.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/flummel/CliError.h"

namespace {

// libpng's own handlers would print to standard error; the caller reports the failure instead.
extern "C" void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
extern "C" void OnPngWarning(png_structp, png_const_charp) {}

// libpng reports errors by longjmp back here; nothing set after the setjmp is read after it.
bool Encode(int width, int height, const unsigned char* rgb, FILE* f)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, rgb + size_t(y) * size_t(width) * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

void WritePng(const std::string& path, int width, int height, const unsigned char* rgb, const std::string& shownPath)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw CliError("cannot write " + shownPath + ": " + std::strerror(errno));
    errno = 0;
    const bool encoded = Encode(width, height, rgb, f);
    const int encodeError = encoded ? 0 : errno;  // a failed write leaves its reason; libpng's own leave 0
    const bool closed = std::fclose(f) == 0;
    if (!encoded || !closed) {
        const int err = encoded ? errno : encodeError;
        throw CliError("cannot write " + shownPath + ": " + (err ? std::strerror(err) : "the picture could not be encoded"));
    }
}
