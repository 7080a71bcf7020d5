// One open UI of the bundle: the editor on a stand-in unit, in a window inside the host's
// parent window (or a window of its own when the host gives none), driven by the host's idle
// calls. Main thread (the host's UI thread) only.
#pragma once

#include <chrono>
#include <memory>

#include <lv2/ui/ui.h>

#include "platform/audio/Components.h"
#include "platform/desktop/DesktopTypes.h"
#include "plugins/lv2/Lv2DisplayMessage.h"

class Lv2UiUnit;
struct Lv2Variant;

class Lv2Ui {
public:
    // Null, with a line on standard error, when the editor cannot open.
    static std::unique_ptr<Lv2Ui> Open(const Lv2Variant& variant, LV2UI_Write_Function write,
                                       LV2UI_Controller controller, const LV2_Feature* const* features);
    ~Lv2Ui();
    Lv2Ui(const Lv2Ui&) = delete;
    Lv2Ui& operator=(const Lv2Ui&) = delete;

    LV2UI_Widget Widget() const;  // the X window id
    // Control values (format 0) and atoms (atom:eventTransfer) from the host.
    void PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    // Runs the platform's event loop once without waiting, and tells the plug-in once a second
    // that the editor is showing; 1 once a window of our own was closed.
    int Idle();
    int Show();
    int Hide();

private:
    Lv2Ui() = default;
    static OSStatus OnWindowEvent(EventHandlerCallRef, EventRef event, void* self);
    void TellHostSize() const;
    void SayShowing();

    ComponentInstance mUnitInstance = nullptr;
    Lv2UiUnit* mUnit = nullptr;
    ComponentInstance mView = nullptr;
    WindowRef mWindow = nullptr;
    bool mOwnWindow = false;
    bool mClosed = false;
    LV2UI_Resize mResize{};
    Lv2DisplayMessage mMessage;
    uint32_t mEventTransfer = 0;
    LV2UI_Write_Function mWrite = nullptr;
    LV2UI_Controller mController = nullptr;
    uint32_t mControlPort = 0;  // the plug-in's atom input
    bool mHidden = false;
    std::chrono::steady_clock::time_point mSaidShowing{};
};
