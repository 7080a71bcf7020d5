// GL set-up and shutdown on the render thread: the on-screen context in the host window (fitted
// to the control on every resize), the offscreen context that paints every element's label once,
// and the label texture it becomes.
#include <algorithm>

#include "gui/Effect.h"
#include "gui/Font.h"
#include "gui/Manager.h"
#include "gui/Texture.h"
#include "gui/UIElement.h"

namespace TW {

namespace {

constexpr int kLabelWidth = 1024;
constexpr int kLabelHeight = 512;
constexpr int kLabelRowBytes = kLabelWidth * 4;
constexpr size_t kLabelBytes = size_t(kLabelRowBytes) * kLabelHeight;

// The label bitmap's pixels are the bytes alpha, red, green, blue: one 32-bit word per pixel
// whose packing depends on the byte order of the machine.
constexpr GLenum kLabelPixelType =
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    GL_UNSIGNED_INT_8_8_8_8_REV;
#else
    GL_UNSIGNED_INT_8_8_8_8;
#endif

}  // namespace

int Manager::InitGL()
{
    static const GLint onscreenAttributes[] = {AGL_RGBA, AGL_DOUBLEBUFFER, AGL_DEPTH_SIZE, 16, AGL_NONE};
    static const GLint offscreenAttributes[] = {AGL_RGBA, AGL_DEPTH_SIZE, 0, AGL_OFFSCREEN, AGL_NONE};
    GLenum lastError = AGL_NO_ERROR;
    auto report = [&lastError] {
        if (GLenum err = aglReportError()) lastError = err;
    };
    WindowRef window = view->GetCarbonWindow();

    pixelFormat = aglChoosePixelFormat(nullptr, 0, onscreenAttributes);
    report();
    context = pixelFormat ? aglCreateContext(pixelFormat, nullptr) : nullptr;
    report();
    if (context) {
        GrafPtr savedPort = nullptr;
        GetPort(&savedPort);
        SetPortWindowPort(window);
        aglSetDrawable(context, GetWindowPort(window));
        report();
        aglSetCurrentContext(context);
        report();
        RenderTaskHandleResize();
        glDisable(GL_MULTISAMPLE);
        glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
        LoadTextures();
        if (font) font->Preload();
        FinalPositions();
        for (UIElement* e : elements) e->InitialiseRendering();
        for (Effect* fx : effects) fx->InitialiseRendering();
        SetPort(savedPort);
    }

    offscreenPixelFormat = aglChoosePixelFormat(nullptr, 0, offscreenAttributes);
    report();
    offscreenContext = offscreenPixelFormat ? aglCreateContext(offscreenPixelFormat, nullptr) : nullptr;
    report();
    offscreenBuffer = new UInt8[kLabelBytes]();
    if (offscreenContext) {
        aglSetOffScreen(offscreenContext, std::min(width, kLabelWidth), std::min(height, kLabelHeight), kLabelRowBytes,
                        offscreenBuffer);
        report();
        if (aglSetCurrentContext(offscreenContext)) {
            if (labelFont) labelFont->Preload();
            glClearColor(0.2f, 0.2f, 0.0f, 0.0f);
            glClear(GL_COLOR_BUFFER_BIT);
            glDisable(GL_DEPTH_TEST);
            glDepthMask(GL_FALSE);
            LoadGuiProjection();
            for (UIElement* e : elements) e->DrawLabel(labelFont);
            glFlush();
        }
        report();
    }

    // Leaving the offscreen context copies its picture into the buffer.
    aglSetCurrentContext(context);
    report();
    if (context) {
        glGenTextures(1, &labelTexture);
        glBindTexture(GL_TEXTURE_2D, labelTexture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kLabelWidth, kLabelHeight, 0, GL_BGRA, kLabelPixelType,
                     offscreenBuffer);
        glReportError("glTexImage2D");
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    return int(lastError);
}

void Manager::ShutdownGL()
{
    if (context) aglSetCurrentContext(context);
    UnloadTextures();
    for (Effect* fx : effects) fx->ShutdownRendering();
    if (context) {
        for (const auto& lists : displayLists) glDeleteLists(lists.first, lists.second);
        if (labelTexture) glDeleteTextures(1, &labelTexture);
    }
    displayLists.clear();
    labelTexture = 0;
    aglSetCurrentContext(nullptr);
    if (context) {
        aglSetDrawable(context, nullptr);
        aglDestroyContext(context);
    }
    if (pixelFormat) aglDestroyPixelFormat(pixelFormat);
    context = nullptr;
    pixelFormat = nullptr;
    if (offscreenContext) aglDestroyContext(offscreenContext);
    if (offscreenPixelFormat) aglDestroyPixelFormat(offscreenPixelFormat);
    offscreenContext = nullptr;
    offscreenPixelFormat = nullptr;
    delete[] offscreenBuffer;
    offscreenBuffer = nullptr;
}

void Manager::RenderTaskHandleResize()
{
    if (!context) return;
    Rect port{};
    GetPortBounds(aglGetDrawable(context), &port);
    Rect cb{};
    GetControlBounds(control, &cb);
    const GLint rect[4] = {cb.left, port.bottom - cb.bottom, cb.right - cb.left, cb.bottom - cb.top};
    aglSetInteger(context, AGL_BUFFER_RECT, rect);
    aglReportError();
    aglEnable(context, AGL_BUFFER_RECT);
    aglReportError();
    viewportWidth = rect[2];
    viewportHeight = rect[3];
    aglUpdateContext(context);
    aglReportError();
}

void Manager::FinalPositions()
{
    for (UIElement* e : elements) e->FinalPosition();
}

void Manager::LoadTextures()
{
    for (Texture* t : textures) t->Load();
}

void Manager::UnloadTextures()
{
    for (Texture* t : textures) t->Unload();
}

}  // namespace TW
