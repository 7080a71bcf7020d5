// Construction and destruction, the element list, the parameter listener, mouse-over status and
// the GUI scale.
#include "gui/Manager.h"

#include <cmath>
#include <cstdio>

#include "gui/Effect.h"
#include "gui/Font.h"
#include "gui/Group.h"
#include "gui/StaticText.h"
#include "gui/Texture.h"
#include "gui/UIElement.h"

namespace TW {

std::atomic<bool> Manager::ms_enableTooltip{false};
std::atomic<bool> Manager::ms_enableConstantRedraw{true};
std::atomic<bool> Manager::ms_enableEyeCandy{true};
int Manager::ms_instanceCount = 0;
int Manager::ms_regionID = 0;

Manager::Manager(AUCarbonViewBase* v, const Rect& bounds, int numParams, Font* f, Font* lf)
    : view(v), font(f), labelFont(lf), hoverLight{0, 0, 50, 1}
{
    width = viewportWidth = bounds.right - bounds.left;
    height = viewportHeight = bounds.bottom - bounds.top;
    aspect = float(width) / float(height);
    scaleX = 2.0f / float(width);
    scaleY = 2.0f / float(height);
    fieldOfView = 65.0f;
    eyeDistance = 1.0f / (scaleY * std::tan(0.567232f));
    halfWidth = 0.5f * float(width);
    halfHeight = 0.5f * float(height);

    instanceNumber = ms_instanceCount++;

    static const EventTypeSpec windowEvents[] = {
        {kEventClassWindow, kEventWindowDrawContent}, {kEventClassWindow, kEventWindowShowing},
        {kEventClassWindow, kEventWindowHiding},      {kEventClassWindow, kEventWindowShown},
        {kEventClassWindow, kEventWindowHidden},      {kEventClassWindow, kEventWindowBoundsChanged},
        {kEventClassWindow, kEventWindowActivated},
    };
    WindowRef window = view->GetCarbonWindow();
    WantEventTypes(GetWindowEventTarget(window), 7, windowEvents);

    AUListenerCreate(ParameterListener, this, CFRunLoopGetCurrent(), kCFRunLoopDefaultMode, 1.0f / 30.0f, &listener);

    AudioUnit unit = view->GetEditAudioUnit();
    params.reserve(size_t(numParams > 0 ? numParams : 0));
    for (int i = 0; i < numParams; ++i)
        params.emplace_back(unit, AudioUnitParameterID(i), kAudioUnitScope_Global, AudioUnitElement(0));

    RegisterCustomControl();
    CreateCustomControl(window, &bounds, &controlDef, nullptr, &control);
    creationBounds = bounds;
    guiScale = 1.0f;
    if (control) view->EmbedControl(control);

    root = new Group(this);
    staticText = new StaticText(this);
    effects.push_back(staticText);

    static const Vec4 bannerColour{0.5f, 0.5f, 0.5f, 1.0f};
    char banner[64];
    std::snprintf(banner, sizeof banner, "tarnwick : flummel %d.%d.%d", 2, 0, 0);
    float descender = font ? font->ftFont->Descender() : 0.0f;
    staticText->Add(banner, 60.0f, 290.0f - 0.5f * descender, &bannerColour);
}

Manager::~Manager()
{
    DestroyRenderTask();
    if (listener) AUListenerDispose(listener);
    listener = nullptr;
    if (controlClass) UnregisterToolboxObjectClass(controlClass);
    controlClass = nullptr;
    params.clear();
    ReleaseTrackingRegions();
    for (UIElement* e : elements) delete e;
    for (Texture* t : textures) delete t;
    for (Effect* fx : effects) delete fx;
    elements.clear();
    textures.clear();
    effects.clear();
}

void Manager::AddElement(UIElement* e) { elements.push_back(e); }

void Manager::ExtendBounds(Bounds& b) const { root->ExtendBounds(b); }

void Manager::AddToListener(UIElement* e, const CAAUParameter& p) { AUListenerAddParameter(listener, e, &p); }

void Manager::ParameterListener(void* manager, void* element, const AudioUnitParameter* param, float value)
{
    auto* self = static_cast<Manager*>(manager);
    static_cast<UIElement*>(element)->ParameterChange(param, value);
    if (!ms_enableConstantRedraw.load(std::memory_order_relaxed)) self->SendRenderEvent(kRenderRedraw);
}

void Manager::SetMouseOverParam(int id, UIElement* e)
{
    mouseOverParam.store(id, std::memory_order_relaxed);
    tooltipElement.store(e, std::memory_order_relaxed);
    if (!ms_enableConstantRedraw.load(std::memory_order_relaxed)) SendRenderEvent(kRenderRedraw);
}

void Manager::SetGuiScale(float scale)
{
    ReleaseTrackingRegions();
    if (control) {
        SizeControl(control, SInt16(float(creationBounds.right - creationBounds.left) * scale),
                    SInt16(float(creationBounds.bottom - creationBounds.top) * scale));
    }
    guiScale = scale;
    if (renderTaskRunning) SendRenderEvent(kRenderResize);
    regionsDirty = true;
}

void Manager::NudgeGUI() const { SendRenderEvent(kRenderRedraw); }

void Manager::SendRenderEvent(MPEventFlags bits) const
{
    if (renderEvent) MPSetEvent(renderEvent, bits);
}

}  // namespace TW
