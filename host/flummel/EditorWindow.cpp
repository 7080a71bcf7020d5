#include "host/flummel/EditorWindow.h"

#include "editor/TrWkFlummelViewEntry.h"
#include "framework/view/AudioUnitCarbonView.h"
#include "host/flummel/CliError.h"
#include "platform/desktop/Controls.h"
#include "platform/desktop/Events.h"
#include "platform/desktop/Windows.h"

namespace {

constexpr SInt16 kLeft = 80, kTop = 80;              // where the window first appears
constexpr Float32Point kSuggestedSize{770, 315};  // the editor at 100 %

}  // namespace

EditorWindow::EditorWindow(AudioUnit unit)
{
    RegisterTrWkFlummelView();
    const ComponentDescription description = TrWkFlummelViewDescription();
    Component component = FindNextComponent(nullptr, &description);
    if (!component || OpenAComponent(component, &mView) != noErr || !mView)
        throw CliError("cannot open the editor component", CliError::kEffect);

    const Rect bounds{kTop, kLeft, SInt16(kTop + kSuggestedSize.y), SInt16(kLeft + kSuggestedSize.x)};
    if (CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute | kWindowCloseBoxAttribute, &bounds,
                        &mWindow) != noErr) {
        CloseComponent(mView);
        throw CliError("cannot open the X display");
    }
    SetWindowTitleWithCFString(mWindow, CFSTR("Flummel"));
    const EventTypeSpec events[] = {{kEventClassWindow, kEventWindowClose}, {kEventClassWindow, kEventWindowShown}};
    InstallWindowEventHandler(mWindow, OnWindowEvent, 2, events, this, nullptr);

    ControlRef root = nullptr, pane = nullptr;
    GetRootControl(mWindow, &root);
    const Float32Point location{0, 0};
    const OSStatus err = AudioUnitCarbonViewCreate(mView, unit, mWindow, root, &location, &kSuggestedSize, &pane);
    if (err != noErr || !pane) {
        Close();
        throw CliError::Effect("creating the editor's view", err != noErr ? err : OSStatus(-1));
    }
    // The view scales its pane to the stored GUI scale; the window follows the pane.
    Rect paneBounds{};
    GetControlBounds(pane, &paneBounds);
    SizeWindow(mWindow, SInt16(paneBounds.right), SInt16(paneBounds.bottom), true);
    ShowWindow(mWindow);
    SelectWindow(mWindow);
}

EditorWindow::~EditorWindow() { Close(); }

void EditorWindow::Close()
{
    if (mView) CloseComponent(mView);  // stops the editor's render thread before its window goes
    mView = nullptr;
    if (mWindow) DisposeWindow(mWindow);
    mWindow = nullptr;
}

unsigned long EditorWindow::XID() const { return GetWindowXID(mWindow); }

OSStatus EditorWindow::OnWindowEvent(EventHandlerCallRef, EventRef event, void* p)
{
    auto* self = static_cast<EditorWindow*>(p);
    if (GetEventKind(event) == kEventWindowShown) {
        self->mShown = true;
        return eventNotHandledErr;
    }
    self->mClosed = true;
    QuitApplicationEventLoop();
    return noErr;  // the window stays until the editor in it has closed
}
