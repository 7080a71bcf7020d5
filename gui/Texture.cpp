#include "gui/Texture.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <memory>

#include "gui/Manager.h"
#include "platform/cf/CFString.h"
#include "platform/desktop/CFBundle.h"
#include "platform/desktop/Files.h"
#include "platform/desktop/ImageImport.h"

namespace TW {

namespace {

bool IsPowerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

// GL reading each pixel as one 32-bit word whose bytes in memory are alpha, red, green, blue.
constexpr GLenum kArgbBytes =
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    GL_UNSIGNED_INT_8_8_8_8;
#else
    GL_UNSIGNED_INT_8_8_8_8_REV;
#endif

}  // namespace

Texture::Texture(Manager* m, const char* name) : name(name)
{
    m->textures.push_back(this);
}

Texture::~Texture() = default;

void Texture::Load()
{
    loaded = true;
    CFBundleRef bundle = CFBundleGetBundleWithIdentifier(CFSTR("com.TrWk.test.Flml"));
    if (!bundle) return;
    const ResFileRefNum previous = CurResFile();
    CFRef<CFStringRef> resource(CFStringCreateWithCString(nullptr, name.c_str(), kCFStringEncodingASCII));
    CFRef<CFURLRef> url(resource ? CFBundleCopyResourceURL(bundle, resource, nullptr, nullptr) : nullptr);
    FSRef ref;
    FSSpec file;
    GraphicsImportComponent importer = nullptr;
    if (!url) {
        std::printf("ERROR: can't find URL!\n");
    } else if (CFURLGetFSRef(url, &ref) &&
               FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, &file, nullptr) == noErr &&
               GetGraphicsImporterForFile(&file, &importer) == noErr) {
        Rect r{};
        GraphicsImportGetNaturalBounds(importer, &r);
        const int width = r.right - r.left, height = r.bottom - r.top;
        if (r.left != 0 || r.top != 0 || !IsPowerOfTwo(width) || !IsPowerOfTwo(height)) {
            std::printf("ERROR: texture not power of 2 sized\n");
            CloseComponent(importer);
        } else {
            auto pixels = std::make_unique<UInt8[]>(size_t(width) * height * 4);
            GWorldPtr picture = nullptr;
            const bool drawn =
                QTNewGWorldFromPtr(&picture, k32ARGBPixelFormat, &r, nullptr, nullptr, 0, pixels.get(), width * 4) ==
                    noErr &&
                GraphicsImportSetGWorld(importer, picture, nullptr) == noErr && GraphicsImportDraw(importer) == noErr;
            CloseComponent(importer);
            if (drawn) {
                glGenTextures(1, &id);
                glBindTexture(GL_TEXTURE_2D, id);
                glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA, kArgbBytes, pixels.get());
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
                glBindTexture(GL_TEXTURE_2D, 0);
            } else {
                std::printf("ERROR: can't decode %s\n", name.c_str());
            }
            if (picture) DisposeGWorld(picture);
        }
    }
    UseResFile(previous);
}

void Texture::Unload()
{
    if (id) glDeleteTextures(1, &id);
    id = 0;
}

void Texture::Bind() const
{
    glBindTexture(GL_TEXTURE_2D, id);
}

}  // namespace TW
