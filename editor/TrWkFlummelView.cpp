// Lifetime, scaling, the Zero buttons and the dialogs the view keeps track of.
#include "editor/TrWkFlummelView.h"

#include <algorithm>

#include "editor/EditorPreferences.h"
#include "gui/Font.h"
#include "gui/Manager.h"

namespace {

// Forgets a dialog when its window goes, whoever closes it.
OSStatus DialogClosed(EventHandlerCallRef, EventRef event, void* view)
{
    WindowRef window = nullptr;
    GetEventParameter(event, kEventParamDirectObject, typeWindowRef, nullptr, sizeof window, nullptr, &window);
    static_cast<TrWkFlummelView*>(view)->RemoveDialog(window);
    return eventNotHandledErr;
}

}  // namespace

const char* const TrWkFlummelView::pHelpStrings[2] = {"Open the preferences dialog", "Re-sync to zero"};

TrWkFlummelView::TrWkFlummelView(ComponentInstance instance) : AUCarbonViewBase(instance, 0.1f) {}

TrWkFlummelView::~TrWkFlummelView()
{
    std::vector<WindowRef> dialogs;
    dialogs.swap(mDialogs);
    for (WindowRef w : dialogs) DisposeWindow(w);
    mManager.reset();  // ends the render thread before the fonts go
}

OSStatus TrWkFlummelView::CreateCarbonView(AudioUnit unit, WindowRef window, ControlRef parent,
                                           const Float32Point& location, const Float32Point& size,
                                           ControlRef& outControl)
{
    const OSStatus result = AUCarbonViewBase::CreateCarbonView(unit, window, parent, location, size, outControl);
    const int percent = StoredGuiScale();
    if (percent != 100 && mManager) SetGuiScale(float(percent) * 0.01f, true);
    return result;
}

void TrWkFlummelView::SetGuiScale(float scale, bool paneOnly)
{
    if (!mManager) return;
    mManager->SetGuiScale(scale);
    WindowRef window = GetCarbonWindow();
    if (!paneOnly) HideWindow(window);
    const Point corner = BottomRight();
    const auto width = SInt16(float(corner.h - XOffset()) * scale);
    const auto height = SInt16(float(corner.v - YOffset()) * scale);
    SizeControl(GetCarbonPane(), width, height);
    if (paneOnly) return;
    SizeWindow(window, SInt16(float(width) + XOffset()), SInt16(float(height) + YOffset()), true);
    ShowWindow(window);
}

void TrWkFlummelView::SetReSync(int paramID) const
{
    if (mManager && size_t(paramID) < mManager->params.size())
        mManager->params[size_t(paramID)].SetValue(nullptr, nullptr, 1.0f);
}

void TrWkFlummelView::SyncButtonProc(TW::Button*, void* view)
{
    static_cast<TrWkFlummelView*>(view)->SetReSync(4);  // Re-Sync
}

void TrWkFlummelView::LfoSyncButtonProc(TW::Button*, void* view)
{
    static_cast<TrWkFlummelView*>(view)->SetReSync(16);  // LFO Re-Sync
}

void TrWkFlummelView::AddDialog(WindowRef dialog)
{
    const EventTypeSpec closed{kEventClassWindow, kEventWindowClosed};
    InstallWindowEventHandler(dialog, DialogClosed, 1, &closed, this, nullptr);
    mDialogs.push_back(dialog);
}

void TrWkFlummelView::RemoveDialog(WindowRef dialog)
{
    mDialogs.erase(std::remove(mDialogs.begin(), mDialogs.end(), dialog), mDialogs.end());
}
