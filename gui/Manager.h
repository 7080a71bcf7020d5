// The toolkit's manager: owns an editor's elements, textures and effects, embeds a custom control
// in the host window and turns its clicks and mouse-tracking events into element gestures, keeps a
// proxy per parameter and forwards parameter changes, and runs the render thread that owns the GL
// contexts and draws every frame.
//
// Threads: construction, events, drags, parameter notifications and destruction run on the main
// thread; InitGL, Update, Draw and everything they call run on the render thread. Fields written
// by the main thread while the render thread reads them are relaxed atomics.
#pragma once

#include <GL/gl.h>

#include <atomic>
#include <map>
#include <utility>
#include <vector>

#include "engine/FlummelShared.h"
#include "framework/CAAUParameter.h"
#include "framework/view/AUCarbonViewBase.h"
#include "gui/Bounds.h"
#include "gui/GLReport.h"
#include "gui/Vec.h"
#include "platform/audio/AudioUnitUtilities.h"
#include "platform/desktop/Controls.h"
#include "platform/desktop/GLContexts.h"
#include "platform/desktop/MouseTracking.h"
#include "platform/desktop/Multiprocessing.h"

namespace TW {

class Effect;
class Font;
class Group;
class StaticText;
class Texture;
class UIElement;

class Manager : public CarbonEventHandler {
public:
    // Render-event bits.
    enum : MPEventFlags {
        kRenderQuit = 1,
        kRenderShow = 2,
        kRenderHide = 4,
        kRenderRedraw = 8,
        kRenderResize = 16,
    };

    // The five floats of the tooltip.
    struct Tooltip {
        float alpha;
        float x;
        float y;
        float width;
        float height;
    };

    Manager(AUCarbonViewBase* view, const Rect& bounds, int numParams, Font* font, Font* labelFont);
    ~Manager() override;
    Manager(const Manager&) = delete;
    Manager& operator=(const Manager&) = delete;

    void AddElement(UIElement* e);
    void ExtendBounds(Bounds& b) const;
    void AddToListener(UIElement* e, const CAAUParameter& p);

    // Mouse tracking. `r` null: the element's world bounds.
    void CreateTrackingRegion(UIElement* e, const Rect* r);
    void CreateTrackingRegions();
    void BoundsToRect(float minX, float maxX, float minY, float maxY, Rect& r) const;
    void GetTopLeft(float& bottomY, float& left, Rect& controlBounds);

    void SetMouseOverParam(int id, UIElement* e);
    void SetGuiScale(float scale);
    void NudgeGUI() const;

    void CreateRenderTask();
    void DestroyRenderTask();

    // Render thread.
    static OSStatus RenderTask(void* manager);
    OSStatus RenderTaskMain();
    void RenderTaskHandleResize();
    int InitGL();
    void ShutdownGL();
    void Update();
    void Draw();
    void Draw3d();
    void Draw2d();
    void Render() const;
    void FinalPositions();
    void LoadTextures();
    void UnloadTextures();

    // Events (main thread).
    bool HandleEvent(EventRef event) override;
    static OSStatus ControlHandler(EventHandlerCallRef call, EventRef event, void* manager);
    void HandleControlEvent(EventRef event);
    void HandleMouseEvent(EventRef event);
    // A wheel notch over a knob steps it (Knob::Wheel); other elements ignore the wheel.
    void HandleWheel(EventRef event);
    void HandleMouse(CGPoint& p, unsigned long modifiers, float bottomY, float left);
    static void ParameterListener(void* manager, void* element, const AudioUnitParameter* param, float value);

    // The modifier mask the elements see: Ctrl counts as command as well (X keyboards have no
    // command key of their own; Super already maps to it).
    static unsigned long GestureModifiers(UInt32 carbonModifiers);

    // Status line and tooltip pieces, free of GL.
    // The id the status line shows: the dragged parameter, else the one under the pointer.
    static int StatusId(int dragged, int mouseOver);
    // The value text of `p` at `value` (at most 64 bytes with the terminator).
    static void ValueText(const CAAUParameter& p, float value, char* out, size_t size);
    // One frame of tooltip fade: toward 1 while shown, toward 0 (and to 0 below 1/255) otherwise.
    static float FadeTooltip(float alpha, bool shown);
    // The tooltip's left edge for an element centred at `centreX`: at least 5, ending by 765.
    static float TooltipX(float centreX, float textWidth);

    std::vector<UIElement*> elements;
    std::vector<Texture*> textures;
    std::vector<Effect*> effects;
    Group* root = nullptr;
    AUCarbonViewBase* view = nullptr;
    AUParameterListenerRef listener = nullptr;
    Font* font = nullptr;
    Font* labelFont = nullptr;
    StaticText* staticText = nullptr;
    std::vector<CAAUParameter> params;
    int instanceNumber = 0;
    bool regionsDirty = true;
    AGLPixelFormat pixelFormat = nullptr;
    AGLContext context = nullptr;
    AGLPixelFormat offscreenPixelFormat = nullptr;
    AGLContext offscreenContext = nullptr;
    UInt8* offscreenBuffer = nullptr;
    GLuint labelTexture = 0;
    ControlDefSpec controlDef{};
    ToolboxObjectClassRef controlClass = nullptr;
    char controlClassID[64] = {};
    ControlRef control = nullptr;
    Rect creationBounds{};
    float guiScale = 1.0f;
    std::map<MouseTrackingRef, UIElement*> regions;
    std::atomic<int> mouseOverParam{-1};
    std::atomic<int> draggedParam{-1};
    std::atomic<UIElement*> hoverElement{nullptr};
    std::atomic<UIElement*> tooltipElement{nullptr};
    Tooltip tooltip{};
    char tooltipText[256] = {};
    const char* const* helpStrings = nullptr;
    float frameRate = 0;
    float frameTime = 1e-6f;
    double elapsedTime = 0;
    int viewportWidth = 0;
    int viewportHeight = 0;
    int width = 0;
    int height = 0;
    float aspect = 1;
    float scaleX = 1;
    float scaleY = 1;
    float fieldOfView = 65;
    float eyeDistance = 1;
    float halfWidth = 0;
    float halfHeight = 0;
    Vec4 hoverLight;
    DataToGui dataToGui{};
    bool renderTaskRunning = false;
    MPTaskID renderTask = nullptr;
    MPEventID renderEvent = nullptr;
    MPSemaphoreID renderDone = nullptr;
    std::vector<std::pair<GLuint, GLsizei>> displayLists;  // first list name, count

    // How long DestroyRenderTask waits for the render thread to finish, in milliseconds.
    Duration shutdownLimit = 10000;

    static std::atomic<bool> ms_enableTooltip;
    static std::atomic<bool> ms_enableConstantRedraw;
    static std::atomic<bool> ms_enableEyeCandy;
    static int ms_instanceCount;
    static int ms_regionID;

private:
    void RegisterCustomControl();
    void ReleaseTrackingRegions();
    void RebuildRegionsIfDirty();
    void SendRenderEvent(MPEventFlags bits) const;
    void LoadGuiProjection() const;
    // The status line and the tooltip text of this frame.
    void DrawStatus();
    void DrawTooltip();

    // Status text cache, so that a frame whose status did not change formats nothing.
    struct StatusCache {
        int id = -1;
        float value = 0;
        bool valid = false;
        char name[64] = {};
        char valueText[64] = {};
        char unit[64] = {};
        char tip[256] = {};
        float nameWidth = 0;
        const char* tipShown = nullptr;  // this frame's tooltip text, null when there is none
    };
    StatusCache status;
};

}  // namespace TW
