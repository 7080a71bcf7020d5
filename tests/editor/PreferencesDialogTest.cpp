// The stored preferences and the dialog that the Prefs button opens: defaults, switches that
// change the toolkit's statics and the store, the scale and its reset, the product page, closing,
// two editors sharing the switches, and a dialog outliving nothing of its view.
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "editor/PreferencesDialog.h"
#include "platform/cf/CFString.h"
#include "platform/desktop/CFPreferences.h"

#include "tests/editor/EditorFixture.h"

namespace {

constexpr float kPrefsX = 60, kPrefsY = 110;  // the Prefs button's centre in GUI units

ControlRef ByCommand(ControlRef parent, UInt32 command)
{
    UInt16 n = 0;
    CountSubControls(parent, &n);
    for (UInt16 i = 1; i <= n; ++i) {
        ControlRef c = nullptr;
        GetIndexedSubControl(parent, i, &c);
        UInt32 cmd = 0;
        if (GetControlCommandID(c, &cmd) == noErr && cmd == command) return c;
        if (ControlRef inner = ByCommand(c, command)) return inner;
    }
    return nullptr;
}

ControlRef ByCommand(WindowRef w, UInt32 command)
{
    ControlRef root = nullptr;
    GetRootControl(w, &root);
    return ByCommand(root, command);
}

SInt32 ValueOf(WindowRef w, OSType id)
{
    const ControlID cid{id, 0};
    ControlRef c = nullptr;
    return GetControlByID(w, &cid, &c) == noErr ? GetControl32BitValue(c) : -1;
}

Rect Content(WindowRef w)
{
    Rect r;
    GetWindowBounds(w, kWindowContentRgn, &r);
    return r;
}

}  // namespace

class PreferencesDialog : public EditorTest {
protected:
    WindowRef OpenDialog(edtest::Editor& e)
    {
        const size_t before = e.view->Dialogs().size();
        Click(e.GlobalX(kPrefsX), e.GlobalY(kPrefsY));
        if (!PumpUntil([&] { return e.view->Dialogs().size() == before + 1; })) return nullptr;
        WindowRef d = e.view->Dialogs().back();
        EXPECT_TRUE(PumpUntil([&] { return Viewable(GetWindowXID(d)); }));
        Pump(0.1);
        return d;
    }
    // A real click on the middle of the dialog's control that reports `command`.
    void Press(WindowRef dialog, UInt32 command)
    {
        ControlRef c = ByCommand(dialog, command);
        ASSERT_NE(c, nullptr);
        Rect b, w = Content(dialog);
        GetControlBounds(c, &b);
        Click(w.left + (b.left + b.right) / 2, w.top + (b.top + b.bottom) / 2);
        Pump(0.2);
    }
};

TEST_F(PreferencesDialog, StoredSwitchesAreReadWhenAnEditorIsCreated)
{
    const struct {
        const char* name;
        int eyeCandy, redraw, tooltip;  // -1: nothing stored
        bool expectEyeCandy, expectRedraw, expectTooltip;
    } cases[] = {
        {"nothing stored", -1, -1, -1, true, true, false},
        {"all off", 0, 0, 0, false, false, false},
        {"any non-zero is on", 7, -2, 1, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TW::Manager::ms_enableEyeCandy = !c.expectEyeCandy;
        TW::Manager::ms_enableConstantRedraw = !c.expectRedraw;
        TW::Manager::ms_enableTooltip = !c.expectTooltip;
        if (c.eyeCandy != -1) SetPrefInt(kPrefEyeCandy, c.eyeCandy);
        if (c.redraw != -1) SetPrefInt(kPrefConstantRedraw, c.redraw);
        if (c.tooltip != -1) SetPrefInt(kPrefTooltip, c.tooltip);
        edtest::Editor& e = Open(120, 140, false);
        EXPECT_EQ(TW::Manager::ms_enableEyeCandy.load(), c.expectEyeCandy);
        EXPECT_EQ(TW::Manager::ms_enableConstantRedraw.load(), c.expectRedraw);
        EXPECT_EQ(TW::Manager::ms_enableTooltip.load(), c.expectTooltip);
        Close(e);
    }
    // A value that is not a number reads as the default.
    CFRef<CFStringRef> key(CFStringCreateWithCString(nullptr, kPrefGuiScale, kCFStringEncodingASCII));
    CFPreferencesSetAppValue(key, CFSTR("150"), CFSTR("com.tarnwick.Flummel"));
    EXPECT_EQ(GetPrefInt(kPrefGuiScale, 100), 100);
}

TEST_F(PreferencesDialog, PrefsOpensAFilledDialogEachTime)
{
    edtest::Editor& e = Open();
    WindowRef d = OpenDialog(e);
    ASSERT_NE(d, nullptr);
    const ControlID vers{FourCC("vers"), 0};
    ControlRef version = nullptr;
    ASSERT_EQ(GetControlByID(d, &vers, &version), noErr);
    CFStringRef text = nullptr;
    ASSERT_EQ(GetControlData(version, 0, kControlStaticTextCFStringTag, sizeof text, &text, nullptr), noErr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(CFStringToUTF8(text), "2.0.0");
    CFRelease(text);
    EXPECT_EQ(ValueOf(d, FourCC("cndy")), 1);
    EXPECT_EQ(ValueOf(d, FourCC("rdrw")), 1);
    EXPECT_EQ(ValueOf(d, FourCC("tltp")), 0);
    EXPECT_EQ(ValueOf(d, FourCC("guis")), 100);  // nothing stored

    WindowRef second = OpenDialog(e);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, d);
    const long windows = CountLiveWindows();
    Press(second, FourCC("ok  "));  // the newer dialog lies on top
    ASSERT_TRUE(PumpUntil([&] { return e.view->Dialogs().size() == 1; }));
    EXPECT_EQ(e.view->Dialogs()[0], d);
    EXPECT_EQ(CountLiveWindows(), windows - 1);
}

TEST_F(PreferencesDialog, SwitchesInvertTheToolkitsStaticsAndAreStored)
{
    const struct {
        UInt32 command;
        std::atomic<bool>& flag;
        const char* key;
    } cases[] = {
        {FourCC("cndy"), TW::Manager::ms_enableEyeCandy, kPrefEyeCandy},
        {FourCC("rdrw"), TW::Manager::ms_enableConstantRedraw, kPrefConstantRedraw},
        {FourCC("tltp"), TW::Manager::ms_enableTooltip, kPrefTooltip},
    };
    edtest::Editor& e = Open();
    WindowRef d = OpenDialog(e);
    ASSERT_NE(d, nullptr);
    for (const auto& c : cases) {
        const bool was = c.flag.load();
        for (bool expected : {!was, was}) {
            Press(d, c.command);
            EXPECT_TRUE(PumpUntil([&] { return c.flag.load() == expected; })) << c.key;
            EXPECT_EQ(GetPrefInt(c.key, -1), expected ? 1 : 0) << c.key;
        }
    }
}

TEST_F(PreferencesDialog, TheScaleResizesTheHostWindowAndTheResetRestoresIt)
{
    edtest::Editor& e = Open();
    WindowRef d = OpenDialog(e);
    ASSERT_NE(d, nullptr);
    // A slider hit as the platform reports it, with the slider at 150 %.
    ControlRef slider = ByCommand(d, FourCC("guis"));
    ASSERT_NE(slider, nullptr);
    SetControl32BitValue(slider, 150);
    EventRef hit = nullptr;
    ASSERT_EQ(CreateEvent(nullptr, kEventClassControl, kEventControlHit, 0, 0, &hit), noErr);
    SetEventParameter(hit, kEventParamDirectObject, typeControlRef, sizeof slider, &slider);
    EXPECT_EQ(SendEventToEventTarget(hit, GetControlEventTarget(slider)), noErr);
    ReleaseEvent(hit);
    auto size = [](Rect r) { return std::make_pair(r.right - r.left, r.bottom - r.top); };
    Rect pane;
    EXPECT_EQ(GetPrefInt(kPrefGuiScale, -1), 150);
    EXPECT_EQ(size(*GetControlBounds(e.pane, &pane)), std::make_pair(1155, 472));
    EXPECT_EQ(size(Content(e.window)), std::make_pair(1155, 472));
    EXPECT_TRUE(PumpUntil([&] { return Viewable(GetWindowXID(e.window)); }));

    Press(d, FourCC("gsrs"));
    EXPECT_TRUE(PumpUntil([&] { return GetPrefInt(kPrefGuiScale, -1) == 100; }));
    EXPECT_EQ(GetControl32BitValue(slider), 100);
    EXPECT_EQ(size(*GetControlBounds(e.pane, &pane)), std::make_pair(770, 315));
    EXPECT_EQ(size(Content(e.window)), std::make_pair(770, 315));
}

TEST_F(PreferencesDialog, WebPageOpensTheReadme)
{
    TempDirectory bin;
    const std::string log = bin / "opened";
    ASSERT_TRUE(bin.Write("xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + log + ".tmp' && mv '" + log + ".tmp' '" +
                                          log + "'\n"));
    ASSERT_EQ(chmod((bin / "xdg-open").c_str(), 0755), 0);
    const char* path = std::getenv("PATH");
    ScopedEnvironment env("PATH", (bin.Path() + ":" + (path ? path : "/usr/bin:/bin")).c_str());

    edtest::Editor& e = Open();
    WindowRef d = OpenDialog(e);
    ASSERT_NE(d, nullptr);
    Press(d, FourCC("vweb"));
    ASSERT_TRUE(PumpUntil([&] { return access(log.c_str(), F_OK) == 0; }, 10));
    std::ifstream in(log);
    std::stringstream url;
    url << in.rdbuf();
    const std::string prefix = "file://";
    ASSERT_EQ(url.str().rfind(prefix, 0), 0u) << url.str();
    const std::string file = url.str().substr(prefix.size());
    EXPECT_EQ(file.substr(file.size() - 10), "/README.md");
    std::ifstream readme(file);
    std::string first;
    std::getline(readme, first);
    EXPECT_EQ(first, "# Flummel");
}

TEST_F(PreferencesDialog, TwoEditorsShareTheSwitchesAndADialogGoesWithItsEditor)
{
    edtest::Editor& a = Open(120, 100);
    edtest::Editor& b = Open(120, 560);
    WindowRef da = OpenDialog(a);
    WindowRef db = OpenDialog(b);
    ASSERT_NE(da, nullptr);
    ASSERT_NE(db, nullptr);
    const bool was = TW::Manager::ms_enableEyeCandy.load();
    Press(da, FourCC("cndy"));
    EXPECT_EQ(TW::Manager::ms_enableEyeCandy.load(), !was);
    Press(db, FourCC("cndy"));
    EXPECT_EQ(TW::Manager::ms_enableEyeCandy.load(), was);
    EXPECT_EQ(GetPrefInt(kPrefEyeCandy, -1), was ? 1 : 0);

    // Closing editor a closes its dialog; b's dialog goes on working.
    const long windows = CountLiveWindows();
    Close(a);
    EXPECT_EQ(CountLiveWindows(), windows - 2);
    Press(db, FourCC("rdrw"));
    EXPECT_EQ(GetPrefInt(kPrefConstantRedraw, -1), TW::Manager::ms_enableConstantRedraw.load() ? 1 : 0);
    EXPECT_EQ(b.view->Dialogs().size(), 1u);
}

TEST_F(PreferencesDialog, WithoutTheInterfaceFileNoDialogOpens)
{
    TempDirectory empty;
    ScopedEnvironment resources("FLUMMEL_RESOURCES", empty.Path().c_str());
    edtest::Editor& e = Open();
    testing::internal::CaptureStdout();
    AboutButtonProc(nullptr, e.view);
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(said, "CreateNibReferenceWithCFBundle -10960\n");
    EXPECT_TRUE(e.view->Dialogs().empty());
}
