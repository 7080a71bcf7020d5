#include "framework/view/AUCarbonViewBase.h"

#include <cmath>

#include "platform/cf/CFRunLoop.h"

namespace {

// A host's coordinate, truncated to 16 bits; values no integer holds (NaN, huge) give 0.
SInt16 Truncate16(Float32 v)
{
    if (!(std::fabs(v) < 2147483648.f)) return 0;
    return SInt16(UInt16(UInt32(SInt32(v))));
}

}  // namespace

AUCarbonViewBase::AUCarbonViewBase(ComponentInstance instance, Float32 notificationInterval)
    : ComponentBase(instance)
{
    AUEventListenerCreate(&ParameterListener, this, CFRunLoopGetCurrent(), kCFRunLoopCommonModes,
                          notificationInterval, notificationInterval, &mParameterListener);
}

AUCarbonViewBase::~AUCarbonViewBase()
{
    RemoveEventHandlers();
    if (mCarbonPane) DisposeControl(mCarbonPane);
    mControlList.clear();
    if (mParameterListener) AUListenerDispose(mParameterListener);
}

ComponentResult AUCarbonViewBase::ComponentEntryDispatch(ComponentParameters* params, AUCarbonViewBase* view)
{
    if (!view) return paramErr;
    switch (params->what) {
    case kAudioUnitCarbonViewCreateSelect: {
        if (ComponentParamCount(params) < 6) return paramErr;
        for (int i = 0; i < 6; ++i)
            if (!ComponentParam(params, i)) return paramErr;
        auto unit = reinterpret_cast<AudioUnit>(ComponentParam(params, 0));
        auto window = reinterpret_cast<WindowRef>(ComponentParam(params, 1));
        auto parent = reinterpret_cast<ControlRef>(ComponentParam(params, 2));
        auto location = reinterpret_cast<const Float32Point*>(ComponentParam(params, 3));
        auto size = reinterpret_cast<const Float32Point*>(ComponentParam(params, 4));
        auto outControl = reinterpret_cast<ControlRef*>(ComponentParam(params, 5));
        return view->CreateCarbonView(unit, window, parent, *location, *size, *outControl);
    }
    case kAudioUnitCarbonViewSetEventListenerSelect:
        if (ComponentParamCount(params) < 2) return paramErr;
        view->mEventListener = reinterpret_cast<AudioUnitCarbonViewEventListener>(ComponentParam(params, 0));
        view->mEventListenerUserData = reinterpret_cast<void*>(ComponentParam(params, 1));
        return noErr;
    default:
        return ComponentBase::ComponentEntryDispatch(params, view);
    }
}

OSStatus AUCarbonViewBase::CreateCarbonView(AudioUnit unit, WindowRef window, ControlRef parent,
                                            const Float32Point& location, const Float32Point& size,
                                            ControlRef& outControl)
{
    mEditAudioUnit = unit;
    mCarbonWindow = window;
    WindowAttributes attributes = 0;
    GetWindowAttributes(window, &attributes);
    mIsCompositing = (attributes & kWindowCompositingAttribute) != 0;

    Rect area;
    area.left = Truncate16(location.x);
    area.top = Truncate16(location.y);
    area.right = SInt16(area.left + Truncate16(size.x));
    area.bottom = SInt16(area.top + Truncate16(size.y));
    const OSStatus err = CreateUserPaneControl(window, &area, kControlSupportsEmbedding, &mCarbonPane);
    if (err != noErr) return err;
    outControl = mCarbonPane;

    const EventTypeSpec click = {kEventClassControl, kEventControlClick};
    WantEventTypes(GetControlEventTarget(mCarbonPane), 1, &click);

    if (mIsCompositing) {
        HIViewAddSubview(parent, mCarbonPane);
        mXOffset = mYOffset = 0;
    } else {
        ::EmbedControl(mCarbonPane, parent);
        mXOffset = location.x;
        mYOffset = location.y;
    }
    mBottomRight = Point{0, 0};
    SizeControl(mCarbonPane, 0, 0);

    if (const OSStatus ui = CreateUI(mXOffset, mYOffset)) return ui;

    Rect bounds;
    GetControlBounds(mCarbonPane, &bounds);
    if (bounds.right <= bounds.left && bounds.bottom <= bounds.top && mBottomRight.h != 0 && mBottomRight.v != 0)
        SizeControl(mCarbonPane, Truncate16(mBottomRight.h - mXOffset), Truncate16(mBottomRight.v - mYOffset));

    if (mIsCompositing) {
        const EventTypeSpec scroll[] = {{kEventClassScrollable, kEventScrollableGetInfo},
                                        {kEventClassScrollable, kEventScrollableScrollTo}};
        WantEventTypes(GetControlEventTarget(mCarbonPane), 2, scroll);
        mScrollOrigin = HIPoint{0, 0};
    }
    return noErr;
}

OSStatus AUCarbonViewBase::CreateUI(Float32, Float32) { return noErr; }

OSStatus AUCarbonViewBase::EmbedControl(ControlRef control)
{
    Rect r;
    GetControlBounds(control, &r);
    if (r.bottom > mBottomRight.v) mBottomRight.v = r.bottom;
    if (r.right > mBottomRight.h) mBottomRight.h = r.right;
    return mIsCompositing ? HIViewAddSubview(mCarbonPane, control) : ::EmbedControl(control, mCarbonPane);
}

bool AUCarbonViewBase::HandleEvent(EventRef event)
{
    const UInt32 cls = GetEventClass(event), kind = GetEventKind(event);
    if (cls == kEventClassControl && kind == kEventControlClick) {
        ControlRef control = nullptr;
        GetEventParameter(event, kEventParamDirectObject, typeControlRef, nullptr, sizeof control, nullptr, &control);
        if (control != mCarbonPane) return false;
        ClearKeyboardFocus(mCarbonWindow);
        return true;
    }
    if (cls == kEventClassScrollable && kind == kEventScrollableGetInfo) return HandleScrollGetInfo(event);
    if (cls == kEventClassScrollable && kind == kEventScrollableScrollTo) return HandleScrollTo(event);
    return false;
}

bool AUCarbonViewBase::HandleScrollGetInfo(EventRef event)
{
    const HISize image{Float32(mBottomRight.h), Float32(mBottomRight.v)};
    HIRect super{};
    HIViewGetBounds(HIViewGetSuperview(mCarbonPane), &super);
    const HISize line{16, 20};
    SetEventParameter(event, kEventParamImageSize, typeHISize, sizeof image, &image);
    SetEventParameter(event, kEventParamViewSize, typeHISize, sizeof super.size, &super.size);
    SetEventParameter(event, kEventParamLineSize, typeHISize, sizeof line, &line);
    SetEventParameter(event, kEventParamOrigin, typeHIPoint, sizeof mScrollOrigin, &mScrollOrigin);
    return true;
}

bool AUCarbonViewBase::HandleScrollTo(EventRef event)
{
    HIPoint origin = mScrollOrigin;
    GetEventParameter(event, kEventParamOrigin, typeHIPoint, nullptr, sizeof origin, nullptr, &origin);
    HIViewScrollRect(mCarbonPane, nullptr, mScrollOrigin.x - origin.x, mScrollOrigin.y - origin.y);
    HIViewSetBoundsOrigin(mCarbonPane, origin.x, origin.y);
    mScrollOrigin = origin;
    return true;
}

void AUCarbonViewBase::ParameterListener(void*, void* object, const AudioUnitEvent* event, UInt64, Float32 value)
{
    if (event && event->mEventType == kAudioUnitEvent_ParameterValueChange && object)
        static_cast<AUCarbonViewControl*>(object)->ParameterToControl(value);
}
