#include "plugins/lv2/ui/Lv2Ui.h"

#include <cstdio>
#include <cstring>

#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include "editor/TrWkFlummelView.h"
#include "editor/TrWkFlummelViewEntry.h"
#include "editor/EditorPreferences.h"
#include "framework/view/AudioUnitCarbonView.h"
#include "platform/desktop/Controls.h"
#include "platform/desktop/Events.h"
#include "platform/desktop/Windows.h"
#include "plugins/lv2/Lv2Variant.h"
#include "plugins/lv2/ui/Lv2UiUnit.h"

namespace {

constexpr Float32Point kEditorSize{770, 315};  // the editor at 100 %
constexpr SInt16 kOwnWindowLeft = 80, kOwnWindowTop = 80;

const void* Feature(const LV2_Feature* const* features, const char* uri)
{
    for (auto f = features; f && *f; ++f)
        if (std::strcmp((*f)->URI, uri) == 0) return (*f)->data;
    return nullptr;
}

// The host's ui:scaleFactor option, 1 without one.
float HostScale(const LV2_Feature* const* features, const LV2_URID_Map* map)
{
    const auto* options = static_cast<const LV2_Options_Option*>(Feature(features, LV2_OPTIONS__options));
    if (!options || !map) return 1.f;
    const LV2_URID key = map->map(map->handle, LV2_UI__scaleFactor);
    const LV2_URID atomFloat = map->map(map->handle, LV2_ATOM__Float);
    for (auto o = options; o->key; ++o)
        if (o->key == key && o->type == atomFloat && o->size == sizeof(float) && o->value) {
            const float s = *static_cast<const float*>(o->value);
            if (s >= 0.25f && s <= 8.f) return s;
        }
    return 1.f;
}

void Fail(const char* what) { std::fprintf(stderr, "flummel: the editor cannot open: %s\n", what); }

}  // namespace

std::unique_ptr<Lv2Ui> Lv2Ui::Open(const Lv2Variant& variant, LV2UI_Write_Function write,
                                   LV2UI_Controller controller, const LV2_Feature* const* features)
{
    std::unique_ptr<Lv2Ui> ui(new Lv2Ui);
    const auto* map = static_cast<const LV2_URID_Map*>(Feature(features, LV2_URID__map));
    if (map) {
        ui->mMessage = Lv2DisplayMessage(map);
        ui->mEventTransfer = map->map(map->handle, LV2_ATOM__eventTransfer);
    }
    if (const auto* resize = static_cast<const LV2UI_Resize*>(Feature(features, LV2_UI__resize))) ui->mResize = *resize;
    ui->mWrite = write;
    ui->mController = controller;
    ui->mControlPort = variant.TimePort();

    Lv2UiUnit::Register();
    const ComponentDescription unitDescription = Lv2UiUnit::Description();
    if (OpenAComponent(FindNextComponent(nullptr, &unitDescription), &ui->mUnitInstance) != noErr) {
        Fail("no stand-in unit");
        return nullptr;
    }
    ui->mUnit = static_cast<Lv2UiUnit*>(static_cast<ComponentBase*>(GetComponentInstanceStorage(ui->mUnitInstance)));
    ui->mUnit->Connect(write, controller, variant.FirstControlPort());

    RegisterTrWkFlummelView();
    const ComponentDescription viewDescription = TrWkFlummelViewDescription();
    if (OpenAComponent(FindNextComponent(nullptr, &viewDescription), &ui->mView) != noErr) {
        Fail("no editor component");
        return nullptr;
    }

    const auto parent = reinterpret_cast<uintptr_t>(Feature(features, LV2_UI__parent));
    const auto width = SInt16(kEditorSize.x), height = SInt16(kEditorSize.y);
    OSStatus err = noErr;
    if (parent) {
        err = CreateWindowInParent(parent, width, height, &ui->mWindow);
    } else {
        const Rect bounds{kOwnWindowTop, kOwnWindowLeft, SInt16(kOwnWindowTop + height), SInt16(kOwnWindowLeft + width)};
        err = CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute | kWindowCloseBoxAttribute, &bounds,
                              &ui->mWindow);
        ui->mOwnWindow = err == noErr;
        if (ui->mOwnWindow) SetWindowTitleWithCFString(ui->mWindow, CFSTR("Flummel"));
    }
    if (err != noErr) {
        Fail(parent ? "the host's parent window is not on this display" : "no X display");
        return nullptr;
    }
    ControlRef root = nullptr, pane = nullptr;
    GetRootControl(ui->mWindow, &root);
    const Float32Point location{0, 0};
    err = AudioUnitCarbonViewCreate(ui->mView, ui->mUnitInstance, ui->mWindow, root, &location, &kEditorSize, &pane);
    if (err != noErr || !pane) {
        Fail("the view refused the window");
        return nullptr;
    }
    // The view has taken the stored GUI scale; the host's own scale comes on top of it.
    const float hostScale = HostScale(features, map);
    if (hostScale != 1.f)
        if (auto* view = dynamic_cast<TrWkFlummelView*>(static_cast<ComponentBase*>(GetComponentInstanceStorage(ui->mView))))
            view->SetGuiScale(float(StoredGuiScale()) * 0.01f * hostScale, true);
    Rect paneBounds{};
    GetControlBounds(pane, &paneBounds);
    SizeWindow(ui->mWindow, SInt16(paneBounds.right), SInt16(paneBounds.bottom), true);
    const EventTypeSpec events[] = {{kEventClassWindow, kEventWindowBoundsChanged}, {kEventClassWindow, kEventWindowClose}};
    InstallEventHandler(GetWindowEventTarget(ui->mWindow), OnWindowEvent, 2, events, ui.get(), nullptr);
    ui->TellHostSize();
    ShowWindow(ui->mWindow);
    ui->SayShowing();
    return ui;
}

Lv2Ui::~Lv2Ui()
{
    if (mView) CloseComponent(mView);  // stops the render thread before its window goes
    if (mWindow) DisposeWindow(mWindow);
    if (mUnitInstance) CloseComponent(mUnitInstance);
}

LV2UI_Widget Lv2Ui::Widget() const { return reinterpret_cast<LV2UI_Widget>(uintptr_t(GetWindowXID(mWindow))); }

void Lv2Ui::TellHostSize() const
{
    if (!mResize.ui_resize) return;
    Rect r{};
    GetWindowPortBounds(mWindow, &r);
    mResize.ui_resize(mResize.handle, r.right - r.left, r.bottom - r.top);
}

OSStatus Lv2Ui::OnWindowEvent(EventHandlerCallRef, EventRef event, void* p)
{
    auto* self = static_cast<Lv2Ui*>(p);
    if (GetEventKind(event) == kEventWindowClose) {
        self->mClosed = true;
        HideWindow(self->mWindow);
        return noErr;
    }
    self->TellHostSize();  // the editor rescaled itself
    return eventNotHandledErr;
}

void Lv2Ui::PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    if (!buffer) return;
    if (format == 0 && size == sizeof(float)) {
        float v;
        std::memcpy(&v, buffer, sizeof v);
        mUnit->PortValue(port, v);
    } else if (format != 0 && format == mEventTransfer && size >= sizeof(LV2_Atom)) {
        const auto* atom = static_cast<const LV2_Atom*>(buffer);
        if (atom->size <= size - sizeof(LV2_Atom)) mUnit->DisplayMessage(mMessage, atom);
    }
}

// The plug-in sends the displays' data for a few seconds after each of these.
void Lv2Ui::SayShowing()
{
    if (!mWrite || mEventTransfer == 0) return;
    const LV2_Atom_Object showing = mMessage.Showing();
    mWrite(mController, mControlPort, uint32_t(sizeof showing), mEventTransfer, &showing);
    mSaidShowing = std::chrono::steady_clock::now();
}

int Lv2Ui::Idle()
{
    RunCurrentEventLoop(0);
    if (!mHidden && !mClosed && std::chrono::steady_clock::now() - mSaidShowing >= std::chrono::seconds(1))
        SayShowing();
    return mClosed ? 1 : 0;
}

int Lv2Ui::Show()
{
    mClosed = false;
    mHidden = false;
    ShowWindow(mWindow);
    SayShowing();
    return 0;
}

int Lv2Ui::Hide()
{
    mHidden = true;
    HideWindow(mWindow);
    return 0;
}
