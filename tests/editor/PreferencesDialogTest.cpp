// The stored preferences and the Prefs dialog: defaults and the scale's range, switches that
// invert the toolkit's statics and are stored, shared by two editors, the scale and its reset,
// the README, and dialogs that go with their editor.
#include <sys/stat.h>

#include <fstream>

#include "editor/PreferencesDialog.h"
#include "platform/cf/CFString.h"
#include "platform/desktop/CFPreferences.h"
#include "tests/editor/EditorFixture.h"

namespace {

std::pair<int, int> Size(const Rect& r) { return {r.right - r.left, r.bottom - r.top}; }

Rect Content(WindowRef w)
{
    Rect r;
    GetWindowBounds(w, kWindowContentRgn, &r);
    return r;
}

}  // namespace

class PreferencesDialog : public EditorTest {
protected:
    // Clicks Prefs on `e` and waits for the new dialog to show.
    WindowRef OpenDialog(EditorWindow& e)
    {
        const size_t before = e.view->Dialogs().size();
        Click(e.X(60), e.Y(110));
        if (!PumpUntil([&] { return e.view->Dialogs().size() == before + 1; })) return nullptr;
        WindowRef d = e.view->Dialogs().back();
        EXPECT_TRUE(PumpUntil([&] { return Viewable(GetWindowXID(d)); }));
        Pump(0.1);
        return d;
    }
    static ControlRef ById(WindowRef dialog, OSType id)
    {
        const ControlID cid{id, 0};
        ControlRef c = nullptr;
        GetControlByID(dialog, &cid, &c);
        return c;
    }
    static ControlRef ByCommand(ControlRef parent, UInt32 command)
    {
        UInt16 n = 0;
        CountSubControls(parent, &n);
        for (UInt16 i = 1; i <= n; ++i) {
            ControlRef c = nullptr;
            UInt32 cmd = 0;
            GetIndexedSubControl(parent, i, &c);
            if (GetControlCommandID(c, &cmd) == noErr && cmd == command) return c;
            if (ControlRef inner = ByCommand(c, command)) return inner;
        }
        return nullptr;
    }
    // A real click on the middle of the control that reports `command`.
    void Press(WindowRef dialog, UInt32 command)
    {
        ControlRef root = nullptr;
        GetRootControl(dialog, &root);
        ControlRef c = ByCommand(root, command);
        ASSERT_NE(c, nullptr);
        Rect b, w = Content(dialog);
        GetControlBounds(c, &b);
        Click(w.left + (b.left + b.right) / 2, w.top + (b.top + b.bottom) / 2);
        Pump(0.2);
    }
};

TEST_F(PreferencesDialog, StoredSwitchesAndScaleAreReadWhenAnEditorIsCreated)
{
    const struct {
        int eyeCandy, redraw, tooltip, scale;  // -1: nothing stored
        bool expectEyeCandy, expectRedraw, expectTooltip;
        int width, height;  // of the pane; the host's window keeps its size
    } cases[] = {{-1, -1, -1, -1, true, true, false, 770, 315},
                 {0, 0, 0, 150, false, false, false, 1155, 472},
                 {7, -2, 1, 50, true, true, true, 385, 157}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scale);
        TW::Manager::ms_enableEyeCandy = !c.expectEyeCandy;
        TW::Manager::ms_enableConstantRedraw = !c.expectRedraw;
        TW::Manager::ms_enableTooltip = !c.expectTooltip;
        for (auto [key, value] : {std::pair{kPrefEyeCandy, c.eyeCandy}, {kPrefConstantRedraw, c.redraw},
                                  {kPrefTooltip, c.tooltip}, {kPrefGuiScale, c.scale}})
            if (value != -1) SetPrefInt(key, value);
        EditorWindow& e = Open(120, 140, false);
        EXPECT_EQ(TW::Manager::ms_enableEyeCandy.load(), c.expectEyeCandy);
        EXPECT_EQ(TW::Manager::ms_enableConstantRedraw.load(), c.expectRedraw);
        EXPECT_EQ(TW::Manager::ms_enableTooltip.load(), c.expectTooltip);
        Rect pane, control;  // the manager's drawing area fills the pane
        EXPECT_EQ(Size(*GetControlBounds(e.pane, &pane)), std::make_pair(c.width, c.height));
        EXPECT_EQ(Size(*GetControlBounds(e.view->GetManager()->control, &control)), std::make_pair(c.width, c.height));
        EXPECT_EQ(Size(Content(e.window)), std::make_pair(770, 315));
        Close(e);
    }
    // A hand-edited scale is kept within the dialog's range; one that is not a number is not read.
    for (auto [stored, expected] : {std::pair{0, kMinGuiScale}, {100000, kMaxGuiScale}, {150, 150}}) {
        SetPrefInt(kPrefGuiScale, stored);
        EXPECT_EQ(StoredGuiScale(), expected) << stored;
    }
    CFRef<CFStringRef> key(CFStringCreateWithCString(nullptr, kPrefGuiScale, kCFStringEncodingASCII));
    CFPreferencesSetAppValue(key, CFSTR("150"), CFSTR("com.tarnwick.Flummel"));
    EXPECT_EQ(StoredGuiScale(), 100);
}

// Two editors share the switches; a dialog's OK closes it alone, and closing an editor takes its
// dialogs with it.
TEST_F(PreferencesDialog, FilledDialogsOfTwoEditorsInvertAndStoreTheSwitchesAndGoWithTheirEditor)
{
    const struct {
        OSType id;
        std::atomic<bool>& flag;
        const char* key;
    } switches[] = {{FourCC("cndy"), TW::Manager::ms_enableEyeCandy, kPrefEyeCandy},
                    {FourCC("rdrw"), TW::Manager::ms_enableConstantRedraw, kPrefConstantRedraw},
                    {FourCC("tltp"), TW::Manager::ms_enableTooltip, kPrefTooltip}};
    EditorWindow& a = Open(120, 100);
    EditorWindow& b = Open(120, 560);
    WindowRef da = OpenDialog(a), db = OpenDialog(b);
    ASSERT_TRUE(da && db);
    CFStringRef version = nullptr;
    ASSERT_EQ(GetControlData(ById(da, FourCC("vers")), 0, kControlStaticTextCFStringTag, sizeof version, &version,
                             nullptr), noErr);
    EXPECT_EQ(CFStringToUTF8(version), "2.0.0");
    CFRelease(version);
    EXPECT_EQ(GetControl32BitValue(ById(da, FourCC("guis"))), 100);  // nothing stored
    for (const auto& s : switches) {
        const bool was = s.flag.load();
        EXPECT_EQ(GetControl32BitValue(ById(da, s.id)), was ? 1 : 0) << s.key;
        for (auto [dialog, expected] : {std::pair{da, !was}, {db, was}}) {
            Press(dialog, s.id);
            EXPECT_TRUE(PumpUntil([&] { return s.flag.load() == expected; })) << s.key;
            EXPECT_EQ(GetPrefInt(s.key, -1), expected ? 1 : 0) << s.key;
        }
    }

    WindowRef second = OpenDialog(a);
    ASSERT_NE(second, nullptr);
    const long windows = CountLiveWindows();
    Press(second, FourCC("ok  "));  // the newer one lies on top
    ASSERT_TRUE(PumpUntil([&] { return a.view->Dialogs().size() == 1; }));
    EXPECT_EQ(a.view->Dialogs()[0], da);
    EXPECT_EQ(CountLiveWindows(), windows - 1);
    Close(a);  // its dialog with it; b's goes on working
    EXPECT_EQ(CountLiveWindows(), windows - 3);
    const bool tooltip = TW::Manager::ms_enableTooltip.load();
    Press(db, FourCC("tltp"));
    EXPECT_EQ(GetPrefInt(kPrefTooltip, -1), tooltip ? 0 : 1);
    EXPECT_EQ(b.view->Dialogs().size(), 1u);
}

// One editor's dialog: the scale resizes the host's window and the reset restores it; the web
// page is the README.
TEST_F(PreferencesDialog, ScaleAndWebPageActOnTheEditorAndTheDesktop)
{
    TempDirectory bin;
    const std::string log = bin / "opened";
    ASSERT_TRUE(bin.Write("xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + log + ".tmp' && mv '" + log + ".tmp' '" +
                                          log + "'\n"));
    ASSERT_EQ(chmod((bin / "xdg-open").c_str(), 0755), 0);
    ScopedEnvironment path("PATH", (bin.Path() + ":/usr/bin:/bin").c_str());
    EditorWindow& e = Open();
    WindowRef d = OpenDialog(e);
    ASSERT_NE(d, nullptr);

    ControlRef slider = ById(d, FourCC("guis"));
    SetControl32BitValue(slider, 150);  // and the hit the platform reports when it is let go
    EventRef hit = nullptr;
    ASSERT_EQ(CreateEvent(nullptr, kEventClassControl, kEventControlHit, 0, 0, &hit), noErr);
    SetEventParameter(hit, kEventParamDirectObject, typeControlRef, sizeof slider, &slider);
    EXPECT_EQ(SendEventToEventTarget(hit, GetControlEventTarget(slider)), noErr);
    ReleaseEvent(hit);
    Rect pane;
    EXPECT_EQ(GetPrefInt(kPrefGuiScale, -1), 150);
    EXPECT_EQ(Size(*GetControlBounds(e.pane, &pane)), std::make_pair(1155, 472));
    EXPECT_EQ(Size(Content(e.window)), std::make_pair(1155, 472));
    EXPECT_TRUE(PumpUntil([&] { return Viewable(GetWindowXID(e.window)); }));
    Press(d, FourCC("gsrs"));
    EXPECT_EQ(GetPrefInt(kPrefGuiScale, -1), 100);
    EXPECT_EQ(GetControl32BitValue(slider), 100);
    EXPECT_EQ(Size(*GetControlBounds(e.pane, &pane)), std::make_pair(770, 315));
    EXPECT_EQ(Size(Content(e.window)), std::make_pair(770, 315));

    Press(d, FourCC("vweb"));
    ASSERT_TRUE(PumpUntil([&] { return access(log.c_str(), F_OK) == 0; }, 10));
    std::string url, title;
    std::getline(std::ifstream(log), url);
    ASSERT_EQ(url.rfind("file:///", 0), 0u) << url;
    std::getline(std::ifstream(url.substr(7)), title);
    EXPECT_EQ(title, "# Flummel");
}

TEST_F(PreferencesDialog, WithoutTheInterfaceFileNoDialogOpens)
{
    TempDirectory empty;
    ScopedEnvironment resources("FLUMMEL_RESOURCES", empty.Path().c_str());
    EditorWindow& e = Open(120, 140, false);
    AboutButtonProc(nullptr, e.view);
    EXPECT_TRUE(e.view->Dialogs().empty());
}
