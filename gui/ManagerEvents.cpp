// The custom control class, window and control events, mouse-tracking regions and the drag loop.
#include <cstdio>

#include "gui/Group.h"
#include "gui/Knob.h"
#include "gui/Manager.h"
#include "gui/UIElement.h"

namespace TW {

namespace {

constexpr OSType kRegionSignature = FourCC("TrWk");

}  // namespace

unsigned long Manager::GestureModifiers(UInt32 carbonModifiers)
{
    unsigned long m = carbonModifiers;
    if (m & controlKey) m |= cmdKey;
    return m;
}

void Manager::RegisterCustomControl()
{
    static const EventTypeSpec classEvents[] = {
        {kEventClassControl, kEventControlClick},
        {kEventClassMouse, kEventMouseEntered},
        {kEventClassMouse, kEventMouseExited},
        {kEventClassMouse, kEventMouseWheelMoved},
    };
    controlDef.defType = kControlDefObjectClass;
    controlClass = nullptr;
    // The number starts at this manager's address; a class id taken by another editor moves it on.
    unsigned long number = reinterpret_cast<unsigned long>(this);
    for (;;) {
        std::snprintf(controlClassID, sizeof controlClassID, "com.TrWk.TWgui%lu.cntrl", number);
        CFStringRef id = CFStringCreateWithCString(nullptr, controlClassID, kCFStringEncodingASCII);
        OSStatus err = RegisterToolboxObjectClass(id, nullptr, 4, classEvents, ControlHandler, this, &controlClass);
        CFRelease(id);
        if (err != toolboxObjectClassExistsErr) break;
        ++number;
    }
    controlDef.u.classRef = controlClass;
}

OSStatus Manager::ControlHandler(EventHandlerCallRef, EventRef event, void* manager)
{
    auto* self = static_cast<Manager*>(manager);
    switch (GetEventClass(event)) {
    case kEventClassControl: self->HandleControlEvent(event); break;
    case kEventClassMouse: self->HandleMouseEvent(event); break;
    default: break;
    }
    return noErr;
}

bool Manager::HandleEvent(EventRef event)
{
    if (GetEventClass(event) != kEventClassWindow) return false;
    UInt32 kind = GetEventKind(event);
    if (kind >= 28) return false;
    switch (kind) {
    case kEventWindowDrawContent:
    case kEventWindowActivated: RebuildRegionsIfDirty(); break;
    case kEventWindowShowing:
        RebuildRegionsIfDirty();
        SendRenderEvent(kRenderShow);
        break;
    case kEventWindowHiding: SendRenderEvent(kRenderHide); break;
    case kEventWindowBoundsChanged: {
        UInt32 attributes = 0;
        GetEventParameter(event, kEventParamAttributes, typeUInt32, nullptr, sizeof attributes, nullptr, &attributes);
        if (attributes & kWindowBoundsChangeSizeChanged) SendRenderEvent(kRenderResize);
        break;
    }
    default: break;
    }
    return false;
}

void Manager::RebuildRegionsIfDirty()
{
    if (!regionsDirty) return;
    regionsDirty = false;
    CreateTrackingRegions();
}

void Manager::GetTopLeft(float& bottomY, float& left, Rect& controlBounds)
{
    Rect window{};
    GetWindowBounds(view->GetCarbonWindow(), kWindowGlobalPortRgn, &window);
    GetControlBounds(control, &controlBounds);
    bottomY = float(controlBounds.bottom + window.top);
    left = float(controlBounds.left + window.left);
}

void Manager::HandleControlEvent(EventRef event)
{
    if (GetEventKind(event) != kEventControlClick) return;
    float bottomY = 0, left = 0;
    Rect controlBounds;
    GetTopLeft(bottomY, left, controlBounds);
    HIPoint mouse{0, 0};
    GetEventParameter(event, kEventParamMouseLocation, typeHIPoint, nullptr, sizeof mouse, nullptr, &mouse);
    CGPoint p{(mouse.x - left) / guiScale, (bottomY - mouse.y) / guiScale};
    UInt32 modifiers = 0;
    GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers, nullptr, &modifiers);
    HandleMouse(p, GestureModifiers(modifiers), bottomY, left);
}

void Manager::HandleMouse(CGPoint& p, unsigned long modifiers, float bottomY, float left)
{
    UIElement* e = root->HitTest(p);
    if (!e) return;
    e->MouseDown(p, modifiers);
    MouseTrackingResult result = kMouseTrackingMouseUp;
    do {
        Point pt{0, 0};
        if (TrackMouseLocation(kTrackMouseLocationGlobal, &pt, &result) != noErr) break;
        p.x = (float(pt.h) - left) / guiScale;
        p.y = (bottomY - float(pt.v)) / guiScale;
        if (result == kMouseTrackingKeyModifiersChanged) {
            e->MouseUp(p, modifiers);
            modifiers = GestureModifiers(GetCurrentKeyModifiers());
            e->MouseDown(p, modifiers);
        }
        e->MouseDrag(p, modifiers);
    } while (result != kMouseTrackingMouseUp && result != kMouseTrackingUserCancelled);
    e->MouseUp(p, modifiers);
    draggedParam.store(-1, std::memory_order_relaxed);
}

void Manager::HandleMouseEvent(EventRef event)
{
    UInt32 kind = GetEventKind(event);
    if (kind == kEventMouseWheelMoved) {
        HandleWheel(event);
        return;
    }
    if (kind != kEventMouseEntered && kind != kEventMouseExited) return;
    MouseTrackingRef ref = nullptr;
    GetEventParameter(event, kEventParamMouseTrackingRef, typeMouseTrackingRef, nullptr, sizeof ref, nullptr, &ref);
    auto it = regions.find(ref);
    if (it == regions.end()) {
        std::printf("region map weirdness\n");
        return;
    }
    UIElement* e = it->second;
    if (e == root) return;
    if (kind == kEventMouseEntered) {
        hoverElement.store(e, std::memory_order_relaxed);
        e->MouseEntered();
    } else {
        UIElement* expected = e;
        hoverElement.compare_exchange_strong(expected, nullptr, std::memory_order_relaxed);
        e->MouseExited();
    }
}

void Manager::HandleWheel(EventRef event)
{
    EventMouseWheelAxis axis = kEventMouseWheelAxisY;
    GetEventParameter(event, kEventParamMouseWheelAxis, typeMouseWheelAxis, nullptr, sizeof axis, nullptr, &axis);
    SInt32 delta = 0;
    GetEventParameter(event, kEventParamMouseWheelDelta, typeSInt32, nullptr, sizeof delta, nullptr, &delta);
    if (axis != kEventMouseWheelAxisY || delta == 0) return;
    float bottomY = 0, left = 0;
    Rect controlBounds;
    GetTopLeft(bottomY, left, controlBounds);
    HIPoint mouse{0, 0};
    GetEventParameter(event, kEventParamMouseLocation, typeHIPoint, nullptr, sizeof mouse, nullptr, &mouse);
    const CGPoint p{(mouse.x - left) / guiScale, (bottomY - mouse.y) / guiScale};
    UInt32 modifiers = 0;
    GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers, nullptr, &modifiers);
    if (auto* knob = dynamic_cast<Knob*>(root->HitTest(p))) knob->Wheel(int(delta), GestureModifiers(modifiers));
}

void Manager::BoundsToRect(float minX, float maxX, float minY, float maxY, Rect& r) const
{
    Rect cb;
    GetControlBounds(control, &cb);
    r.left = SInt16(cb.left + int(minX * guiScale));
    r.right = SInt16(cb.left + int(maxX * guiScale));
    r.top = SInt16(cb.bottom - int(maxY * guiScale));
    r.bottom = SInt16(cb.bottom - int(minY * guiScale));
}

void Manager::CreateTrackingRegion(UIElement* e, const Rect* r)
{
    Rect rect;
    if (r) {
        rect = *r;
    } else {
        Bounds b;
        e->GetWorldBounds(b);
        BoundsToRect(b.min.x, b.max.x, b.min.y, b.max.y, rect);
    }
    RgnHandle rgn = NewRgn();
    RectRgn(rgn, &rect);
    MouseTrackingRef ref = nullptr;
    OSStatus err = CreateMouseTrackingRegion(view->GetCarbonWindow(), rgn, nullptr, kMouseTrackingOptionsLocalClip,
                                             MouseTrackingRegionID{kRegionSignature, ms_regionID++}, e,
                                             GetControlEventTarget(control), &ref);
    DisposeRgn(rgn);
    if (err == noErr && ref) regions[ref] = e;
}

void Manager::CreateTrackingRegions()
{
    Rect cb;
    GetControlBounds(control, &cb);
    CreateTrackingRegion(root, &cb);
    for (UIElement* e : elements) e->CreateTrackingRegions();
}

void Manager::ReleaseTrackingRegions()
{
    for (auto& region : regions) ReleaseMouseTrackingRegion(region.first);
    regions.clear();
}

}  // namespace TW
