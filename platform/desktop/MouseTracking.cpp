// Mouse-tracking regions, updated from pointer motion by the event loop.
#include <algorithm>
#include <set>

#include "platform/desktop/DesktopInternal.h"

using namespace desktop;

namespace {

std::set<MouseTrackingRef>& Live()
{
    static std::set<MouseTrackingRef> s;
    return s;
}

bool Alive(MouseTrackingRef ref) { return ref && Live().count(ref) != 0; }

void Remove(MouseTrackingRef ref)
{
    auto& v = ref->window->regions;
    v.erase(std::remove(v.begin(), v.end(), ref), v.end());
    Live().erase(ref);
    delete ref;
}

void Send(MouseTrackingRef ref, bool entered, int localX, int localY)
{
    WindowRef w = ref->window;
    Rect g;
    GetWindowBounds(w, kWindowContentRgn, &g);
    EventRef e = MakeEvent(kEventClassMouse, entered ? kEventMouseEntered : kEventMouseExited);
    SetParam(e, kEventParamMouseTrackingRef, typeMouseTrackingRef, ref);
    SetParam(e, kEventParamWindowRef, typeWindowRef, w);
    SetParam(e, kEventParamMouseLocation, typeHIPoint, HIPoint{CGFloat(g.left + localX), CGFloat(g.top + localY)});
    SetParam(e, kEventParamWindowMouseLocation, typeHIPoint, HIPoint{CGFloat(localX), CGFloat(localY)});
    SetParam(e, kEventParamKeyModifiers, typeUInt32, GetCurrentKeyModifiers());
    SendAndRelease(e, ref->target);
}

}  // namespace

namespace desktop {

void UpdateTrackingRegions(WindowRef w, int x, int y, bool pointerInWindow)
{
    std::vector<MouseTrackingRef> exits, enters;
    for (MouseTrackingRef r : w->regions) {
        bool in = pointerInWindow && r->enabled && r->region.Contains(x, y) && (!r->hasClip || r->clip.Contains(x, y));
        if (in == r->inside) continue;
        r->inside = in;
        (in ? enters : exits).push_back(r);
    }
    // Handlers may release regions: each one is checked before its event goes out.
    for (MouseTrackingRef r : exits)
        if (Alive(r)) Send(r, false, x, y);
    for (MouseTrackingRef r : enters)
        if (Alive(r)) Send(r, true, x, y);
}

void RemoveTrackingRegionsOf(WindowRef w)
{
    for (MouseTrackingRef r : w->regions) {
        Live().erase(r);
        delete r;
    }
    w->regions.clear();
}

}  // namespace desktop

OSStatus CreateMouseTrackingRegion(WindowRef window, RgnHandle region, RgnHandle clip, MouseTrackingOptions,
                                   MouseTrackingRegionID id, void* refCon, EventTargetRef target,
                                   MouseTrackingRef* outRef)
{
    if (!window) return errInvalidWindowRef;
    if (!region || !outRef) return paramErr;
    MouseTrackingRef r = new OpaqueMouseTrackingRef;
    r->window = window;
    r->region = *region;
    if (clip && !EmptyRgn(clip)) {
        r->clip = *clip;
        r->hasClip = true;
    }
    r->id = id;
    r->refCon = refCon;
    r->target = target ? target : GetWindowEventTarget(window);
    window->regions.push_back(r);
    Live().insert(r);
    *outRef = r;
    return noErr;
}

OSStatus RetainMouseTrackingRegion(MouseTrackingRef ref)
{
    if (!Alive(ref)) return paramErr;
    ++ref->refs;
    return noErr;
}

OSStatus ReleaseMouseTrackingRegion(MouseTrackingRef ref)
{
    if (!Alive(ref)) return paramErr;
    if (--ref->refs == 0) Remove(ref);
    return noErr;
}

OSStatus ChangeMouseTrackingRegion(MouseTrackingRef ref, RgnHandle region, RgnHandle clip)
{
    if (!Alive(ref) || !region) return paramErr;
    ref->region = *region;
    ref->hasClip = clip && !EmptyRgn(clip);
    ref->clip = ref->hasClip ? *clip : OpaqueRgnHandle{};
    return noErr;
}

OSStatus GetMouseTrackingRegionID(MouseTrackingRef ref, MouseTrackingRegionID* out)
{
    if (!Alive(ref) || !out) return paramErr;
    *out = ref->id;
    return noErr;
}

OSStatus GetMouseTrackingRegionRefCon(MouseTrackingRef ref, void** out)
{
    if (!Alive(ref) || !out) return paramErr;
    *out = ref->refCon;
    return noErr;
}

OSStatus SetMouseTrackingRegionEnabled(MouseTrackingRef ref, Boolean enabled)
{
    if (!Alive(ref)) return paramErr;
    ref->enabled = enabled;
    return noErr;
}

OSStatus ReleaseWindowMouseTrackingRegions(WindowRef window, OSType signature)
{
    if (!window) return errInvalidWindowRef;
    std::vector<MouseTrackingRef> mine;
    for (MouseTrackingRef r : window->regions)
        if (r->id.signature == signature) mine.push_back(r);
    for (MouseTrackingRef r : mine) Remove(r);
    return noErr;
}
