// Controls: each one an input-only X child window of its parent, so the tree is visible on
// the server while input propagates to the top-level window and drawing is never clipped.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>

#include "platform/desktop/DesktopInternal.h"

namespace desktop {
namespace {

long sLiveControls = 0;

std::set<ControlRef>& LiveControls()
{
    static std::set<ControlRef> s;
    return s;
}

std::map<std::string, std::shared_ptr<ClassRecord>>& Classes()
{
    static std::map<std::string, std::shared_ptr<ClassRecord>> m;
    return m;
}

// Parent-coordinate frame for a rectangle given as GetControlBounds would report it.
void FrameFromBounds(ControlRef c, ControlRef parent, const Rect& r)
{
    float px = 0, py = 0;
    if (!c->window->Compositing() && parent) {
        ControlWindowOrigin(parent, px, py);
        px -= parent->originX;
        py -= parent->originY;
    }
    c->fx = float(r.left) - px;
    c->fy = float(r.top) - py;
    c->fw = float(r.right - r.left);
    c->fh = float(r.bottom - r.top);
}

void SyncSubtree(ControlRef c)
{
    SyncControlX(c);
    for (ControlRef k : c->children) SyncSubtree(k);
}

void Detach(ControlRef c)
{
    if (!c->parent) return;
    auto& k = c->parent->children;
    k.erase(std::remove(k.begin(), k.end(), c), k.end());
    c->parent = nullptr;
}

OSStatus NewControl(WindowRef w, const Rect* bounds, OSType kind, ControlRef* out, ControlRef* made = nullptr)
{
    if (!w) return errInvalidWindowRef;
    if (!bounds || !out) return paramErr;
    Display* d = MainDisplay();
    if (!d) return kDesktopNoDisplayErr;
    ControlRef c = new OpaqueControlRef;
    c->window = w;
    c->kind = kind;
    c->target.kind = OpaqueEventTargetRef::Control;
    c->target.control = c;
    XSetWindowAttributes a{};
    c->xid = XCreateWindow(d, w->root->xid, 0, 0, 1, 1, 0, 0, InputOnly, CopyFromParent, 0, &a);
    ++sLiveControls;
    LiveControls().insert(c);
    {
        std::lock_guard<std::mutex> g(w->geometry);
        FrameFromBounds(c, w->root, *bounds);
        c->parent = w->root;
        w->root->children.push_back(c);
    }
    SyncControlX(c);
    *out = c;
    if (made) *made = c;
    if (c->IsStandardKind()) InvalidateWindow(w);
    return noErr;
}

}  // namespace

void ControlWindowOrigin(ControlRef c, float& x, float& y)
{
    x = y = 0;
    for (ControlRef k = c; k && k->parent; k = k->parent) {
        x += k->fx - k->parent->originX;
        y += k->fy - k->parent->originY;
    }
}

void SyncControlX(ControlRef c)
{
    if (!c || !c->parent || !c->xid) return;
    Display* d = MainDisplay();
    int x, y, w, h;
    {
        std::lock_guard<std::mutex> g(c->window->geometry);
        x = int(std::lround(c->fx - c->parent->originX));
        y = int(std::lround(c->fy - c->parent->originY));
        w = int(c->fw);
        h = int(c->fh);
    }
    bool empty = w <= 0 || h <= 0;
    XMoveResizeWindow(d, c->xid, x, y, unsigned(std::max(1, w)), unsigned(std::max(1, h)));
    if (c->visible && !empty)
        XMapWindow(d, c->xid);
    else
        XUnmapWindow(d, c->xid);
}

void ResizeRootControl(WindowRef w)
{
    if (!w->root) return;
    std::lock_guard<std::mutex> g(w->geometry);
    w->root->fw = float(w->global.right - w->global.left);
    w->root->fh = float(w->global.bottom - w->global.top);
}

void DisposeControlTree(ControlRef c)
{
    while (!c->children.empty()) DisposeControlTree(c->children.back());
    WindowRef w = c->window;
    if (w->focus == c) w->focus = nullptr;
    {
        std::lock_guard<std::mutex> g(w->geometry);
        Detach(c);
    }
    if (c != w->root && c->xid) {
        XDestroyWindow(MainDisplay(), c->xid);
        --sLiveControls;
    }
    if (c->IsStandardKind()) InvalidateWindow(w);
    LiveControls().erase(c);
    delete c;
}

bool ControlAlive(ControlRef c) { return LiveControls().count(c) != 0; }

}  // namespace desktop

using namespace desktop;

bool OpaqueControlRef::IsStandardKind() const
{
    return kind == kControlKindCheckBox || kind == kControlKindSlider || kind == kControlKindPushButton ||
           kind == kControlKindStaticText;
}

OSStatus RegisterToolboxObjectClass(CFStringRef classID, ToolboxObjectClassRef, ItemCount numEvents,
                                    const EventTypeSpec* eventList, EventHandlerUPP eventHandler, void* userData,
                                    ToolboxObjectClassRef* outClass)
{
    if (!classID || !outClass || (numEvents && !eventList)) return paramErr;
    std::string id = CFStringToUTF8(classID);
    if (id.empty()) return paramErr;
    auto& m = Classes();
    if (m.count(id)) return toolboxObjectClassExistsErr;
    auto rec = std::make_shared<ClassRecord>();
    rec->id = id;
    rec->handler = eventHandler;
    rec->userData = userData;
    rec->events.assign(eventList, eventList + numEvents);
    m[id] = rec;
    *outClass = reinterpret_cast<ToolboxObjectClassRef>(rec.get());
    return noErr;
}

OSStatus UnregisterToolboxObjectClass(ToolboxObjectClassRef objectClass)
{
    auto& m = Classes();
    for (auto it = m.begin(); it != m.end(); ++it) {
        if (reinterpret_cast<ToolboxObjectClassRef>(it->second.get()) == objectClass) {
            it->second->registered = false;
            m.erase(it);
            return noErr;
        }
    }
    return toolboxObjectClassNotFoundErr;
}

OSStatus CreateRootControl(WindowRef w, ControlRef* out)
{
    if (!w) return errInvalidWindowRef;
    if (!out) return paramErr;
    if (w->root) {
        *out = w->root;
        return errRootAlreadyExists;
    }
    ControlRef c = new OpaqueControlRef;
    c->window = w;
    c->kind = kControlKindUserPane;
    c->features = kControlSupportsEmbedding;
    c->target.kind = OpaqueEventTargetRef::Control;
    c->target.control = c;
    c->xid = w->xid;
    w->root = c;
    LiveControls().insert(c);
    ResizeRootControl(w);
    *out = c;
    return noErr;
}

OSStatus GetRootControl(WindowRef w, ControlRef* out)
{
    if (!w) return errInvalidWindowRef;
    if (!out) return paramErr;
    *out = w->root;
    return w->root ? OSStatus(noErr) : OSStatus(errNoRootControl);
}

HIViewRef HIViewGetRoot(WindowRef w) { return w ? w->root : nullptr; }

OSStatus CreateUserPaneControl(WindowRef w, const Rect* bounds, UInt32 features, ControlRef* out)
{
    ControlRef c = nullptr;
    OSStatus r = NewControl(w, bounds, kControlKindUserPane, out, &c);
    if (c) c->features = features;
    return r;
}

OSStatus CreateCustomControl(WindowRef w, const Rect* bounds, const ControlDefSpec* def, Collection, ControlRef* out)
{
    if (!def || def->defType != kControlDefObjectClass || !def->u.classRef) return paramErr;
    std::shared_ptr<ClassRecord> cls;
    for (auto& kv : Classes())
        if (reinterpret_cast<ToolboxObjectClassRef>(kv.second.get()) == def->u.classRef) cls = kv.second;
    if (!cls) return toolboxObjectClassNotFoundErr;
    ControlRef c = nullptr;
    OSStatus r = NewControl(w, bounds, kControlKindCustom, out, &c);
    if (r != noErr) return r;
    c->features = kControlSupportsEmbedding;
    c->objectClass = cls;
    auto h = std::make_shared<OpaqueEventHandlerRef>();
    h->target = &c->target;
    h->proc = cls->handler;
    h->userData = cls->userData;
    h->types = cls->events;
    h->objectClass = cls;
    c->target.handlers.push_back(h);
    return noErr;
}

OSStatus CreateCheckBoxControl(WindowRef w, const Rect* bounds, CFStringRef title, SInt32 initialValue,
                               Boolean autoToggle, ControlRef* out)
{
    ControlRef c = nullptr;
    OSStatus r = NewControl(w, bounds, kControlKindCheckBox, out, &c);
    if (r != noErr) return r;
    c->maximum = 1;
    c->value = std::clamp(initialValue, SInt32(0), SInt32(1));
    c->autoToggle = autoToggle;
    c->title = CFStringToUTF8(title);
    c->features = kControlSupportsFocus | kControlGetsFocusOnClick;
    return noErr;
}

OSStatus CreateSliderControl(WindowRef w, const Rect* bounds, SInt32 value, SInt32 minimum, SInt32 maximum,
                             ControlSliderOrientation, UInt16, Boolean, ControlActionUPP, ControlRef* out)
{
    if (maximum < minimum) return paramErr;
    ControlRef c = nullptr;
    OSStatus r = NewControl(w, bounds, kControlKindSlider, out, &c);
    if (r != noErr) return r;
    c->minimum = minimum;
    c->maximum = maximum;
    c->value = std::clamp(value, minimum, maximum);
    c->features = kControlSupportsFocus | kControlGetsFocusOnClick;
    return noErr;
}

OSStatus CreatePushButtonControl(WindowRef w, const Rect* bounds, CFStringRef title, ControlRef* out)
{
    ControlRef c = nullptr;
    OSStatus r = NewControl(w, bounds, kControlKindPushButton, out, &c);
    if (r != noErr) return r;
    c->title = CFStringToUTF8(title);
    return noErr;
}

OSStatus CreateStaticTextControl(WindowRef w, const Rect* bounds, CFStringRef text, const ControlFontStyleRec*,
                                 ControlRef* out)
{
    ControlRef c = nullptr;
    OSStatus r = NewControl(w, bounds, kControlKindStaticText, out, &c);
    if (r != noErr) return r;
    c->title = CFStringToUTF8(text);
    return noErr;
}

void DisposeControl(ControlRef c)
{
    if (!c || !desktop::ControlAlive(c) || c == c->window->root) return;  // gone with its window already
    DisposeControlTree(c);
}

OSStatus GetControlKind(ControlRef c, ControlKind* out)
{
    if (!c) return errInvalidControlRef;
    if (!out) return paramErr;
    *out = ControlKind{kControlKindSignatureDesktop, c->kind};
    return noErr;
}

long CountLiveControls() { return sLiveControls; }
unsigned long GetControlXID(ControlRef c) { return c ? c->xid : 0; }

namespace {

bool IsAncestor(ControlRef maybeAncestor, ControlRef c)
{
    for (ControlRef k = c; k; k = k->parent)
        if (k == maybeAncestor) return true;
    return false;
}

OSStatus Reparent(ControlRef child, ControlRef parent, bool keepWindowPosition)
{
    if (!child || !parent) return errInvalidControlRef;
    if (child->window != parent->window || child == child->window->root) return paramErr;
    if (!(parent->features & kControlSupportsEmbedding)) return errControlIsNotEmbedder;
    if (IsAncestor(child, parent)) return paramErr;
    WindowRef w = child->window;
    {
        std::lock_guard<std::mutex> g(w->geometry);
        if (keepWindowPosition) {
            float cx, cy, px, py;
            ControlWindowOrigin(child, cx, cy);
            ControlWindowOrigin(parent, px, py);
            child->fx = cx - px + parent->originX;
            child->fy = cy - py + parent->originY;
        }
        Detach(child);
    }
    {
        std::lock_guard<std::mutex> g(w->geometry);
        child->parent = parent;
        parent->children.push_back(child);
    }
    XReparentWindow(MainDisplay(), child->xid, parent->xid, 0, 0);
    SyncSubtree(child);
    InvalidateWindow(w);
    return noErr;
}

}  // namespace

OSStatus EmbedControl(ControlRef control, ControlRef container)
{
    return Reparent(control, container, !(control && control->window->Compositing()));
}

OSStatus HIViewAddSubview(HIViewRef parent, HIViewRef child) { return Reparent(child, parent, false); }

OSStatus HIViewRemoveFromSuperview(HIViewRef view)
{
    if (!view) return errInvalidControlRef;
    if (!view->parent || view == view->window->root) return paramErr;
    return Reparent(view, view->window->root, !view->window->Compositing());
}

HIViewRef HIViewGetSuperview(HIViewRef view) { return view ? view->parent : nullptr; }

OSStatus GetSuperControl(ControlRef c, ControlRef* out)
{
    if (!c) return errInvalidControlRef;
    if (!out) return paramErr;
    *out = c->parent;
    return c->parent ? OSStatus(noErr) : OSStatus(errControlNotFound);
}

OSStatus CountSubControls(ControlRef c, UInt16* out)
{
    if (!c) return errInvalidControlRef;
    if (!out) return paramErr;
    *out = UInt16(c->children.size());
    return noErr;
}

OSStatus GetIndexedSubControl(ControlRef c, UInt16 index, ControlRef* out)
{
    if (!c) return errInvalidControlRef;
    if (!out || index < 1 || index > c->children.size()) return paramErr;
    *out = c->children[index - 1];
    return noErr;
}

WindowRef GetControlOwner(ControlRef c) { return c ? c->window : nullptr; }
EventTargetRef GetControlEventTarget(ControlRef c) { return c ? &c->target : nullptr; }

namespace {

bool EffectivelyVisible(ControlRef c)
{
    for (ControlRef k = c; k; k = k->parent)
        if (!k->visible) return false;
    return true;
}

ControlRef HitTest(ControlRef c, float x, float y, float ox, float oy)
{
    // (ox, oy): window position of c's parent's coordinate origin.
    float left = ox + c->fx, top = oy + c->fy;
    if (!c->visible || x < left || y < top || x >= left + c->fw || y >= top + c->fh) return nullptr;
    for (auto it = c->children.rbegin(); it != c->children.rend(); ++it)
        if (ControlRef hit = HitTest(*it, x, y, left - c->originX, top - c->originY)) return hit;
    return c;
}

}  // namespace

ControlRef FindControlUnderMouse(Point p, WindowRef w, ControlPartCode* outPart)
{
    if (outPart) *outPart = kControlNoPart;
    if (!w || !w->root) return nullptr;
    ControlRef hit;
    {
        std::lock_guard<std::mutex> g(w->geometry);
        hit = HitTest(w->root, p.h, p.v, 0, 0);
    }
    if (hit == w->root) return nullptr;
    if (hit && outPart) {
        switch (hit->kind) {
        case kControlKindCheckBox: *outPart = kControlCheckBoxPart; break;
        case kControlKindPushButton: *outPart = kControlButtonPart; break;
        case kControlKindSlider: *outPart = kControlIndicatorPart; break;
        default: *outPart = 1; break;
        }
    }
    return hit;
}

Rect* GetControlBounds(ControlRef c, Rect* out)
{
    if (!out) return out;
    *out = Rect{0, 0, 0, 0};
    if (!c) return out;
    std::lock_guard<std::mutex> g(c->window->geometry);
    float x = c->fx, y = c->fy;
    if (!c->window->Compositing() && c->parent) {
        ControlWindowOrigin(c, x, y);
    }
    out->left = SInt16(std::lround(x));
    out->top = SInt16(std::lround(y));
    out->right = SInt16(out->left + int(c->fw));
    out->bottom = SInt16(out->top + int(c->fh));
    return out;
}

void SetControlBounds(ControlRef c, const Rect* r)
{
    if (!c || !r || c == c->window->root) return;
    {
        std::lock_guard<std::mutex> g(c->window->geometry);
        FrameFromBounds(c, c->parent, *r);
    }
    SyncControlX(c);
    InvalidateWindow(c->window);
}

void SizeControl(ControlRef c, SInt16 width, SInt16 height)
{
    if (!c || c == c->window->root) return;
    {
        std::lock_guard<std::mutex> g(c->window->geometry);
        c->fw = std::max<float>(0, width);
        c->fh = std::max<float>(0, height);
    }
    SyncControlX(c);
    InvalidateWindow(c->window);
}

void MoveControl(ControlRef c, SInt16 h, SInt16 v)
{
    if (!c) return;
    Rect r;
    GetControlBounds(c, &r);
    Rect n{v, h, SInt16(v + (r.bottom - r.top)), SInt16(h + (r.right - r.left))};
    SetControlBounds(c, &n);
}

OSStatus HIViewGetFrame(HIViewRef v, HIRect* out)
{
    if (!v) return errInvalidControlRef;
    if (!out) return paramErr;
    std::lock_guard<std::mutex> g(v->window->geometry);
    *out = HIRect{{v->fx, v->fy}, {v->fw, v->fh}};
    return noErr;
}

OSStatus HIViewSetFrame(HIViewRef v, const HIRect* f)
{
    if (!v) return errInvalidControlRef;
    if (!f || v == v->window->root) return paramErr;
    {
        std::lock_guard<std::mutex> g(v->window->geometry);
        v->fx = f->origin.x;
        v->fy = f->origin.y;
        v->fw = std::max<CGFloat>(0, f->size.width);
        v->fh = std::max<CGFloat>(0, f->size.height);
    }
    SyncControlX(v);
    InvalidateWindow(v->window);
    return noErr;
}

OSStatus HIViewGetBounds(HIViewRef v, HIRect* out)
{
    if (!v) return errInvalidControlRef;
    if (!out) return paramErr;
    std::lock_guard<std::mutex> g(v->window->geometry);
    *out = HIRect{{v->originX, v->originY}, {v->fw, v->fh}};
    return noErr;
}

OSStatus HIViewSetBoundsOrigin(HIViewRef v, CGFloat x, CGFloat y)
{
    if (!v) return errInvalidControlRef;
    {
        std::lock_guard<std::mutex> g(v->window->geometry);
        v->originX = x;
        v->originY = y;
    }
    for (ControlRef k : v->children) SyncControlX(k);
    InvalidateWindow(v->window);
    return noErr;
}

OSStatus HIViewScrollRect(HIViewRef v, const HIRect*, CGFloat, CGFloat)
{
    if (!v) return errInvalidControlRef;
    InvalidateWindow(v->window);
    return noErr;
}

OSStatus HIViewSetNeedsDisplay(HIViewRef v, Boolean needsDisplay)
{
    if (!v) return errInvalidControlRef;
    if (needsDisplay) InvalidateWindow(v->window);
    return noErr;
}

void ShowControl(ControlRef c) { HIViewSetVisible(c, true); }
void HideControl(ControlRef c) { HIViewSetVisible(c, false); }
Boolean IsControlVisible(ControlRef c) { return c && EffectivelyVisible(c); }

OSStatus HIViewSetVisible(HIViewRef v, Boolean visible)
{
    if (!v) return errInvalidControlRef;
    if (v->visible == bool(visible)) return noErr;
    v->visible = visible;
    if (v != v->window->root) SyncControlX(v);
    if (!visible && v->window->focus && !EffectivelyVisible(v->window->focus)) ClearKeyboardFocus(v->window);
    InvalidateWindow(v->window);
    return noErr;
}

OSStatus SetControlCommandID(ControlRef c, UInt32 commandID)
{
    if (!c) return errInvalidControlRef;
    c->command = commandID;
    return noErr;
}

OSStatus GetControlCommandID(ControlRef c, UInt32* out)
{
    if (!c) return errInvalidControlRef;
    if (!out) return paramErr;
    *out = c->command;
    return noErr;
}

OSStatus SetControlID(ControlRef c, const ControlID* id)
{
    if (!c) return errInvalidControlRef;
    if (!id) return paramErr;
    c->id = *id;
    return noErr;
}

OSStatus GetControlID(ControlRef c, ControlID* out)
{
    if (!c) return errInvalidControlRef;
    if (!out) return paramErr;
    *out = c->id;
    return noErr;
}

namespace {
ControlRef FindByID(ControlRef c, const ControlID& id)
{
    if (c->id.signature == id.signature && c->id.id == id.id) return c;
    for (ControlRef k : c->children)
        if (ControlRef f = FindByID(k, id)) return f;
    return nullptr;
}
}  // namespace

OSStatus GetControlByID(WindowRef w, const ControlID* id, ControlRef* out)
{
    if (!w) return errInvalidWindowRef;
    if (!id || !out) return paramErr;
    *out = w->root ? FindByID(w->root, *id) : nullptr;
    if (*out == w->root) *out = nullptr;
    return *out ? OSStatus(noErr) : OSStatus(errControlNotFound);
}

void SetControlReference(ControlRef c, SInt32 data)
{
    if (c) c->refCon = data;
}
SInt32 GetControlReference(ControlRef c) { return c ? c->refCon : 0; }

namespace {
SInt32 Constrain(ControlRef c, SInt32 v)
{
    v = std::clamp(v, c->minimum, std::max(c->minimum, c->maximum));
    if (c->kind == kControlKindSlider && c->step > 1) {
        long steps = std::lround(double(v - c->minimum) / c->step);
        v = SInt32(c->minimum + steps * c->step);
        if (v > c->maximum) v -= c->step;
    }
    return v;
}
}  // namespace

void SetControl32BitValue(ControlRef c, SInt32 value)
{
    if (!c) return;
    SInt32 v = Constrain(c, value);
    if (v == c->value) return;
    c->value = v;
    if (c->IsStandardKind()) InvalidateWindow(c->window);
}

SInt32 GetControl32BitValue(ControlRef c) { return c ? c->value : 0; }

void SetControl32BitMinimum(ControlRef c, SInt32 minimum)
{
    if (!c) return;
    c->minimum = minimum;
    if (c->maximum < minimum) c->maximum = minimum;
    c->value = Constrain(c, c->value);
    InvalidateWindow(c->window);
}
SInt32 GetControl32BitMinimum(ControlRef c) { return c ? c->minimum : 0; }

void SetControl32BitMaximum(ControlRef c, SInt32 maximum)
{
    if (!c) return;
    c->maximum = maximum;
    if (c->minimum > maximum) c->minimum = maximum;
    c->value = Constrain(c, c->value);
    InvalidateWindow(c->window);
}
SInt32 GetControl32BitMaximum(ControlRef c) { return c ? c->maximum : 0; }

void SetControlValueStep(ControlRef c, SInt32 step)
{
    if (!c || step < 1) return;
    c->step = step;
    c->value = Constrain(c, c->value);
}
SInt32 GetControlValueStep(ControlRef c) { return c ? c->step : 0; }

OSStatus SetControlTitleWithCFString(ControlRef c, CFStringRef title)
{
    if (!c) return errInvalidControlRef;
    if (!title) return paramErr;
    c->title = CFStringToUTF8(title);
    InvalidateWindow(c->window);
    return noErr;
}

OSStatus CopyControlTitleAsCFString(ControlRef c, CFStringRef* out)
{
    if (!c) return errInvalidControlRef;
    if (!out) return paramErr;
    *out = CFStringCreateWithCString(nullptr, c->title.c_str(), kCFStringEncodingUTF8);
    return *out ? noErr : memFullErr;
}

OSStatus SetControlData(ControlRef c, ControlPartCode, ResType tag, ByteCount size, const void* data)
{
    if (!c) return errInvalidControlRef;
    if (c->kind != kControlKindStaticText) return errDataNotSupported;
    if (tag == kControlStaticTextCFStringTag) {
        if (size != sizeof(CFStringRef) || !data) return paramErr;
        CFStringRef s;
        std::memcpy(&s, data, sizeof s);
        return SetControlTitleWithCFString(c, s);
    }
    if (tag == kControlStaticTextTextTag) {
        if (size && !data) return paramErr;
        c->title.assign(static_cast<const char*>(data), size);
        InvalidateWindow(c->window);
        return noErr;
    }
    return errDataNotSupported;
}

OSStatus GetControlData(ControlRef c, ControlPartCode, ResType tag, ByteCount bufferSize, void* outData,
                        ByteCount* outActualSize)
{
    if (!c) return errInvalidControlRef;
    if (c->kind != kControlKindStaticText) return errDataNotSupported;
    if (tag == kControlStaticTextCFStringTag) {
        if (outActualSize) *outActualSize = sizeof(CFStringRef);
        if (!outData) return noErr;
        if (bufferSize < sizeof(CFStringRef)) return paramErr;
        CFStringRef s = CFStringCreateWithCString(nullptr, c->title.c_str(), kCFStringEncodingUTF8);
        std::memcpy(outData, &s, sizeof s);
        return s ? noErr : memFullErr;
    }
    if (tag == kControlStaticTextTextTag) {
        if (outActualSize) *outActualSize = c->title.size();
        if (!outData) return noErr;
        std::memcpy(outData, c->title.data(), std::min<size_t>(bufferSize, c->title.size()));
        return noErr;
    }
    return errDataNotSupported;
}

namespace {
void SendFocusPart(ControlRef c, ControlPartCode part)
{
    EventRef e = MakeEvent(kEventClassControl, kEventControlSetFocusPart);
    SetParam(e, kEventParamDirectObject, typeControlRef, c);
    SetParam(e, kEventParamControlPart, typeControlPartCode, part);
    SendEventToEventTargetWithOptions(e, &c->target, kEventTargetDontPropagate);
    ReleaseEvent(e);
}
}  // namespace

OSStatus SetKeyboardFocus(WindowRef w, ControlRef c, ControlPartCode part)
{
    if (!w) return errInvalidWindowRef;
    if (!c) return errInvalidControlRef;
    if (c->window != w) return paramErr;
    if (part == kControlFocusNoPart) return w->focus == c ? ClearKeyboardFocus(w) : noErr;
    if (!EffectivelyVisible(c)) return errCouldntSetFocus;
    if (w->focus == c) return noErr;
    if (w->focus) {
        ControlRef old = w->focus;
        w->focus = nullptr;
        SendFocusPart(old, kControlFocusNoPart);
    }
    w->focus = c;
    SendFocusPart(c, part);
    InvalidateWindow(w);
    return noErr;
}

OSStatus GetKeyboardFocus(WindowRef w, ControlRef* out)
{
    if (!w) return errInvalidWindowRef;
    if (!out) return paramErr;
    *out = w->focus;
    return noErr;
}

OSStatus ClearKeyboardFocus(WindowRef w)
{
    if (!w) return errInvalidWindowRef;
    if (ControlRef old = w->focus) {
        w->focus = nullptr;
        SendFocusPart(old, kControlFocusNoPart);
        InvalidateWindow(w);
    }
    return noErr;
}
