// Image import: PNG files decoded with libpng and drawn into offscreen pictures that wrap
// caller memory (32 bits a pixel, in the byte order the picture names). Any thread; one
// importer or picture is used by one thread at a time.
#pragma once

#include "platform/desktop/DesktopTypes.h"
#include "platform/desktop/Files.h"

typedef struct OpaqueGraphicsImporter* GraphicsImportComponent;
typedef SInt32 ComponentResult;
typedef struct OpaqueGDHandle* GDHandle;
typedef struct OpaqueCTabHandle* CTabHandle;
typedef UInt32 GWorldFlags;

// Pixel formats of offscreen pictures: the order of the four bytes of a pixel in memory.
enum : OSType {
    k32ARGBPixelFormat = 0x00000020,
    k32BGRAPixelFormat = FourCC("BGRA"),
    k32RGBAPixelFormat = FourCC("RGBA"),
};

enum : OSStatus {
    cantFindHandler = -2003,    // not an image this layer can read
    codecBadDataErr = -8969,    // the image data is damaged
    noGWorldErr = -8963,        // nothing to draw into
    invalidComponentErr = -2010,
};

// An importer for a PNG file: the file is read and its header checked now (fnfErr for a
// missing file, cantFindHandler for anything that is not a PNG or is larger than 2^26 pixels);
// the pixels are decoded when drawn.
OSErr GetGraphicsImporterForFile(const FSSpec* file, GraphicsImportComponent* outImporter);
// The image's size as a rectangle at (0, 0).
ComponentResult GraphicsImportGetNaturalBounds(GraphicsImportComponent importer, Rect* naturalBounds);
ComponentResult GraphicsImportSetGWorld(GraphicsImportComponent importer, CGrafPtr port, GDHandle gd);
// Draws the image with its top-left corner at the picture's, cut to the picture's size; where
// the image has no alpha it is opaque. codecBadDataErr for damaged data (the picture is then
// left as it was).
ComponentResult GraphicsImportDraw(GraphicsImportComponent importer);
OSErr CloseComponent(GraphicsImportComponent importer);

// A picture over `baseAddr` (rows of `rowBytes` bytes, the first row at the top of `bounds`),
// which stays the caller's. paramErr for other pixel formats or rows too short for the width.
OSErr QTNewGWorldFromPtr(GWorldPtr* outGWorld, OSType pixelFormat, const Rect* bounds, CTabHandle cTable,
                         GDHandle device, GWorldFlags flags, void* baseAddr, long rowBytes);
void DisposeGWorld(GWorldPtr gworld);
