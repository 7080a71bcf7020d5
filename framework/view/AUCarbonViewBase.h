// The base of an editor view component: answers the host's view calls, makes the pane the
// editor draws into inside the host window, tracks how far embedded controls reach, and routes
// the pane's events to HandleEvent.
#pragma once

#include <memory>
#include <vector>

#include "framework/ComponentBase.h"
#include "framework/view/AUCarbonViewControl.h"
#include "framework/view/AudioUnitCarbonView.h"
#include "framework/view/CarbonEventHandler.h"
#include "platform/audio/AudioUnitUtilities.h"
#include "platform/desktop/Controls.h"
#include "platform/desktop/Windows.h"

class AUCarbonViewBase : public ComponentBase, public CarbonEventHandler {
public:
    // Listens for parameter changes on the current thread's run loop, at most once per
    // `notificationInterval` seconds.
    explicit AUCarbonViewBase(ComponentInstance instance, Float32 notificationInterval = 0.1f);
    ~AUCarbonViewBase() override;

    static ComponentResult ComponentEntryDispatch(ComponentParameters* params, AUCarbonViewBase* view);

    virtual OSStatus CreateCarbonView(AudioUnit unit, WindowRef window, ControlRef parent,
                                      const Float32Point& location, const Float32Point& size, ControlRef& outControl);
    // Builds the editor's contents at (x, y) of the window; non-zero fails the create call.
    virtual OSStatus CreateUI(Float32 xOffset, Float32 yOffset);
    bool HandleEvent(EventRef event) override;
    virtual void RespondToEventTimer(EventLoopTimerRef) {}

    // Adds `control` to the pane and widens the view to cover it.
    OSStatus EmbedControl(ControlRef control);

    AudioUnit GetEditAudioUnit() const { return mEditAudioUnit; }
    WindowRef GetCarbonWindow() const { return mCarbonWindow; }
    ControlRef GetCarbonPane() const { return mCarbonPane; }
    AUEventListenerRef GetParameterListener() const { return mParameterListener; }
    bool IsCompositWindow() const { return mIsCompositing; }
    Float32 XOffset() const { return mXOffset; }
    Float32 YOffset() const { return mYOffset; }
    Point BottomRight() const { return mBottomRight; }  // v = bottom, h = right
    HIPoint ScrollOrigin() const { return mScrollOrigin; }
    AudioUnitCarbonViewEventListener EventListener() const { return mEventListener; }
    void* EventListenerUserData() const { return mEventListenerUserData; }

protected:
    // Owned; deleted with the view.
    void AddControl(std::unique_ptr<AUCarbonViewControl> control) { mControlList.push_back(std::move(control)); }

private:
    static void ParameterListener(void* refCon, void* object, const AudioUnitEvent* event, UInt64 hostTime,
                                  Float32 value);
    bool HandleScrollGetInfo(EventRef event);
    bool HandleScrollTo(EventRef event);

    AudioUnit mEditAudioUnit = nullptr;
    AUEventListenerRef mParameterListener = nullptr;
    AudioUnitCarbonViewEventListener mEventListener = nullptr;
    void* mEventListenerUserData = nullptr;
    std::vector<std::unique_ptr<AUCarbonViewControl>> mControlList;
    WindowRef mCarbonWindow = nullptr;
    ControlRef mCarbonPane = nullptr;
    Point mBottomRight{0, 0};
    Float32 mXOffset = 0, mYOffset = 0;
    bool mIsCompositing = false;
    HIPoint mScrollOrigin{0, 0};
};
