// One frame on the render thread: the plug-in's display data, the 3-D pass, the label
// background, the element tree and 2-D effects, the status line and the fading tooltip.
#include <GL/glu.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "gui/Effect.h"
#include "gui/Font.h"
#include "gui/Group.h"
#include "gui/Manager.h"
#include "gui/UIElement.h"
#include "platform/audio/AudioUnitCalls.h"

namespace TW {

namespace {

constexpr float kStatusBaseline = 290.0f;
constexpr size_t kStringBytes = 64;

// A platform string as at most 64 bytes of Mac Roman; empty when it does not fit or is null.
void CopyString(CFStringRef s, char* out, size_t size)
{
    out[0] = 0;
    if (s && !CFStringGetCString(s, out, CFIndex(std::min(size, kStringBytes)), kCFStringEncodingMacRoman)) out[0] = 0;
}

void BlendedBox(float x0, float y0, float x1, float y1, float r, float g, float b, float a)
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(r, g, b, a);
    glBegin(GL_QUADS);
    glVertex2f(x0, y0);
    glVertex2f(x1, y0);
    glVertex2f(x1, y1);
    glVertex2f(x0, y1);
    glEnd();
    glDisable(GL_BLEND);
}

void Light(GLenum light, const GLfloat* diffuse, const GLfloat* specular, const GLfloat* position)
{
    glEnable(light);
    glLightfv(light, GL_DIFFUSE, diffuse);
    glLightfv(light, GL_SPECULAR, specular);
    glLightfv(light, GL_POSITION, position);
}

void Material(const GLfloat* specular)
{
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 40.0f);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
}

}  // namespace

int Manager::StatusId(int dragged, int mouseOver) { return dragged >= 0 ? dragged : mouseOver; }

void Manager::ValueText(const CAAUParameter& p, float value, char* out, size_t size)
{
    if (CFArrayRef names = p.GetValueStrings()) {
        int index = int(value);
        if (index >= 0 && index < CFArrayGetCount(names)) {
            CopyString(static_cast<CFStringRef>(CFArrayGetValueAtIndex(names, index)), out, size);
            return;
        }
    } else if (p.ParamInfo().flags & kAudioUnitParameterFlag_ValuesHaveStrings) {
        AudioUnitParameterStringFromValue request{p.mParameterID, &value, nullptr};
        UInt32 bytes = sizeof request;
        if (AudioUnitGetProperty(p.mAudioUnit, kAudioUnitProperty_ParameterStringFromValue, p.mScope, p.mElement,
                                 &request, &bytes) == noErr &&
            request.outString) {
            CopyString(request.outString, out, size);
            CFRelease(request.outString);
            return;
        }
    }
    char number[kStringBytes] = {};
    AUParameterFormatValue(value, &p, number, 4);
    std::snprintf(out, size, "%s", number);
}

float Manager::FadeTooltip(float alpha, bool shown)
{
    if (shown) return 0.84f * alpha + 0.16f;
    alpha *= 0.89f;
    return alpha < 1.0f / 255.0f ? 0.0f : alpha;
}

float Manager::TooltipX(float centreX, float textWidth)
{
    float x = centreX - 0.5f * textWidth;
    if (x < 5.0f) x = 5.0f;
    if (x > 765.0f - textWidth) x = 765.0f - textWidth;
    return x;
}

void Manager::Update()
{
    UInt32 size = sizeof dataToGui;
    AudioUnitGetProperty(view->GetEditAudioUnit(), kDataToGuiProperty, kAudioUnitScope_Global, 0, &dataToGui, &size);
    for (Effect* fx : effects) fx->Update();
}

void Manager::LoadGuiProjection() const
{
    // GUI units to clip space: the 2-D pass and the label bitmap.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glTranslatef(-1.0f, -1.0f, 0.0f);
    glScalef(scaleX, scaleY, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void Manager::Draw()
{
    if (!context) return;
    if (aglGetCurrentContext() != context) aglSetCurrentContext(context);
    glViewport(0, 0, viewportWidth, viewportHeight);
    glDepthMask(GL_TRUE);
    glClear(GL_DEPTH_BUFFER_BIT);
    glDepthRange(0.1, 1.0);
    glEnable(GL_DEPTH_TEST);

    // 3-D: the plane z = 0 shows GUI units one to one.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfView, aspect, eyeDistance, 100.0f * eyeDistance);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(-halfWidth, -halfHeight, -eyeDistance);
    Draw3d();

    // The label bitmap covers the colour buffer; its first row is the top of the picture.
    glDepthRange(0.0, 0.1);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, labelTexture);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    const float s = float(width) / 1024.0f, t = float(height) / 512.0f;
    glBegin(GL_QUADS);
    glTexCoord2f(0, t);
    glVertex2f(-1, -1);
    glTexCoord2f(s, t);
    glVertex2f(1, -1);
    glTexCoord2f(s, 0);
    glVertex2f(1, 1);
    glTexCoord2f(0, 0);
    glVertex2f(-1, 1);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);

    LoadGuiProjection();
    Draw2d();
    aglSwapBuffers(context);
}

void Manager::Draw3d()
{
    static const GLfloat ambient[] = {0.2f, 0.2f, 0.2f, 1.0f};
    static const GLfloat diffuse[] = {0.6f, 0.6f, 0.6f, 1.0f};
    static const GLfloat specular[] = {0.3f, 0.3f, 0.3f, 1.0f};
    static const GLfloat position[] = {1.0f, 1.0f, 1.0f, 1.0f};
    static const GLfloat material[] = {0.7f, 0.5f, 0.5f, 1.0f};
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    Light(GL_LIGHT0, diffuse, specular, position);
    Material(material);
    for (const Effect* fx : effects) fx->Render3d();
}

void Manager::Draw2d()
{
    static const GLfloat ambient[] = {0.2f, 0.2f, 0.2f, 1.0f};
    static const GLfloat diffuse0[] = {0.8f, 0.8f, 0.8f, 1.0f};
    static const GLfloat specular0[] = {0.2f, 0.2f, 0.2f, 1.0f};
    static const GLfloat position0[] = {0.6f, 0.6f, 0.5f, 0.0f};
    static const GLfloat diffuse1[] = {0.9f, 0.9f, 0.9f, 1.0f};
    static const GLfloat specular1[] = {0.5f, 0.5f, 0.7f, 1.0f};
    static const GLfloat material[] = {0.5f, 0.5f, 0.5f, 1.0f};
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    Light(GL_LIGHT0, diffuse0, specular0, position0);
    if (const UIElement* hover = hoverElement.load(std::memory_order_relaxed)) {
        Bounds b;
        hover->GetWorldBounds(b);
        hoverLight.x = 0.9f * hoverLight.x + 0.1f * b.CentreX();
        hoverLight.y = 0.9f * hoverLight.y + 0.1f * b.CentreY();
    }
    Light(GL_LIGHT1, diffuse1, specular1, hoverLight.Data());
    Material(material);

    Render();
    if (font) {
        DrawStatus();
        DrawTooltip();
    }
}

void Manager::Render() const
{
    root->Render();
    glDepthMask(GL_FALSE);
    for (Effect* fx : effects) fx->Render2d();
}

void Manager::DrawStatus()
{
    const float lineHeight = font->ftFont->LineHeight();
    const float baseline = kStatusBaseline - 0.5f * font->ftFont->Descender();
    BlendedBox(20.0f, kStatusBaseline, 745.0f, kStatusBaseline + 0.5f * lineHeight, 0.9f, 0.9f, 0.9f, 0.1f);
    glColor3f(0.5f, 0.5f, 0.5f);

    status.tipShown = nullptr;
    const int id =
        StatusId(draggedParam.load(std::memory_order_relaxed), mouseOverParam.load(std::memory_order_relaxed));
    if (id <= -2 && helpStrings) {
        const char* help = helpStrings[-id - 2];
        font->Draw(help, 500.0f, baseline);
        status.tipShown = help;
        return;
    }
    if (id < 0 || size_t(id) >= params.size()) return;

    const CAAUParameter& p = params[size_t(id)];
    const float value = p.GetValue();
    if (!status.valid || status.id != id || status.value != value) {
        // Formatting may ask the plug-in for a string: done only when the shown value changes.
        status.valid = true;
        status.id = id;
        status.value = value;
        CopyString(p.GetName(), status.name, sizeof status.name);
        ValueText(p, value, status.valueText, sizeof status.valueText);
        CopyString(p.GetUnitLabel(), status.unit, sizeof status.unit);
        status.nameWidth = font->GetStringWidth(status.name);
        if (status.unit[0])
            std::snprintf(status.tip, sizeof status.tip, "%s %s %s", status.name, status.valueText, status.unit);
        else
            std::snprintf(status.tip, sizeof status.tip, "%s %s", status.name, status.valueText);
    }
    font->Draw(status.name, 550.0f - status.nameWidth - 10.0f, baseline);
    font->Draw(status.valueText, 550.0f, baseline);
    if (status.unit[0]) font->Draw(status.unit, 590.0f, baseline);
    status.tipShown = status.tip;
}

void Manager::DrawTooltip()
{
    if (!ms_enableTooltip.load(std::memory_order_relaxed)) return;
    const UIElement* e = tooltipElement.load(std::memory_order_relaxed);
    const bool shown = e && status.tipShown && status.tipShown[0];
    tooltip.alpha = FadeTooltip(tooltip.alpha, shown);
    if (shown) {
        if (tooltipText != status.tipShown) std::snprintf(tooltipText, sizeof tooltipText, "%s", status.tipShown);
        Bounds b;
        e->GetWorldBounds(b);
        tooltip.width = font->GetStringWidth(tooltipText);
        tooltip.x = TooltipX(b.CentreX(), tooltip.width);
        tooltip.y = b.CentreY();
        tooltip.height = 0.5f * font->ftFont->LineHeight();
    }
    if (tooltip.alpha <= 0) return;
    const float a = tooltip.alpha;
    BlendedBox(tooltip.x - 5.0f, tooltip.y, tooltip.x + tooltip.width + 5.0f, tooltip.y + tooltip.height, 0.7f, 0.7f,
               0.7f, 0.5f * a);
    glColor4f(0.8f, 0.8f, 0.8f, 0.9f * a);
    font->Draw(tooltipText, tooltip.x, tooltip.y - 0.5f * font->ftFont->Descender());
}

}  // namespace TW
