// Dialog windows from interface resources: reading the description, refusing bad ones, and a
// dialog on the X server, drawn, with control hits that carry their command IDs.
#include <string>
#include <vector>

#include "platform/cf/CFString.h"
#include "platform/desktop/DialogResources.h"
#include "platform/desktop/InterfaceDescription.h"
#include "tests/desktop/DisplayFixture.h"
#include "tests/desktop/ScopedEnvironment.h"
#include "tests/desktop/Screenshot.h"
#include "tests/desktop/TempDirectory.h"

namespace {

CFBundleRef TheBundle() { return CFBundleGetBundleWithIdentifier(CFSTR("com.TrWk.test.Flml")); }

// Opens the "windows" description of the resources in `dir` (or the installed ones); what went
// to standard error in `message`.
OSStatus OpenDescription(const char* dir, IBNibRef& nib, std::string* message = nullptr)
{
    ScopedEnvironment env("FLUMMEL_RESOURCES", dir);
    nib = reinterpret_cast<IBNibRef>(1);
    testing::internal::CaptureStderr();
    OSStatus r = CreateNibReferenceWithCFBundle(TheBundle(), CFSTR("windows"), &nib);
    const std::string err = testing::internal::GetCapturedStderr();
    if (message) *message = err;
    return r;
}

}  // namespace

// The installed description is read end to end by the editor's dialog tests; here, the refusals.
TEST(InterfaceDescriptions, MistakesAreRefusedWithTheirLineAndLeaveTheEarlierDescription)
{
    InterfaceDescription d;
    std::string error;
    const std::string head = "window \"W\" size 100 100\n";
    struct Case {
        std::string text, error;
    };
    const Case cases[] = {
        {"window \"W\" size 0 5\nend", "line 1: size must be positive"},
        {head + "  slider at 1 1 size 5 5 min 9 max 3\nend", "line 2: min is above max"},
        {head + "  slider at 1 1 size 5 5 max 99999999999\nend", "line 2: number out of range"},
        {head + "  text id 'abcd' at 1 1 size 5 5\n  text id 'abcd' at 1 1 size 5 5\nend",
         "line 3: a second control with the same id"},
        {head + "end\n" + head + "end", "line 3: a second window named \"W\""},
        {head, "window \"W\" lacks its end"},
        {std::string("window \"W\" size 5 5\n\0\nend", 24), "line 2: NUL byte"},
        {head + "  text title \"caf\xe9\" at 1 1 size 5 5\nend", "line 2: a quoted text is not UTF-8"},
    };
    ASSERT_TRUE(d.Parse(head + "end", error));
    for (const Case& c : cases) {
        EXPECT_FALSE(d.Parse(c.text, error));
        EXPECT_EQ(error.compare(0, c.error.size(), c.error), 0) << "text:\n" << c.text << "\ngot: " << error;
    }
    EXPECT_NE(d.Find("W"), nullptr);  // a failed read leaves the earlier description in place
}

class DialogResources : public DisplayTest {};

TEST_F(DialogResources, MalformedAndOversizedDescriptionsAreRefused)
{
    IBNibRef nib = nullptr;
    const std::pair<std::string, std::string> cases[] = {
        {"window \"Dialog\" size 100 100\n  slider at 0 0\nend\n", "line 2: control needs at and size"},
        // Valid up to its end, which lies past the 1 MiB a description may take.
        {"window \"Dialog\" size 100 100\n" + std::string(1 << 20, '#') + "\nend\n", "larger than"},
    };
    for (const auto& [text, words] : cases) {
        TempDirectory dir;
        ASSERT_TRUE(dir.Write("windows.interface", text));
        std::string message;
        EXPECT_EQ(OpenDescription(dir.Path().c_str(), nib, &message), kDesktopInterfaceSyntaxErr);
        EXPECT_EQ(nib, nullptr);
        EXPECT_NE(message.find("windows.interface: " + words), std::string::npos) << message;
    }
}

TEST_F(DialogResources, TheDialogIsDrawnAndItsControlsReportHitsWithTheirCommands)
{
    TempDirectory dir;
    ASSERT_TRUE(dir.Write("windows.interface",
                          "window \"Dialog\" title \"Test\" at 300 200 size 300 200 class movable-modal\n"
                          "  text at 10 10 size 200 16 title \"Version MMMMMMMM\"\n"
                          "  checkbox id 'cndy' command 'cndy' at 10 40 size 200 20 title \"Eye candy\"\n"
                          "  slider id 'guis' command 'guis' at 10 80 size 280 28 min 50 max 200 step 10 value 100\n"
                          "  button id 'ok  ' command 'ok  ' at 190 150 size 90 30 title \"OK\"\n"
                          "end\n"));
    IBNibRef nib = nullptr;
    ASSERT_EQ(OpenDescription(dir.Path().c_str(), nib), noErr);
    WindowRef w = nullptr;
    ASSERT_EQ(CreateWindowFromNib(nib, CFSTR("Dialog"), &w), noErr);
    DisposeNibReference(nib);
    std::vector<std::pair<UInt32, SInt32>> hits;  // command, value
    Handler onHit = [&](EventHandlerCallRef, EventRef e) {
        ControlRef c = nullptr;
        UInt32 cmd = 0;
        GetEventParameter(e, kEventParamDirectObject, typeControlRef, nullptr, sizeof c, nullptr, &c);
        GetControlCommandID(c, &cmd);
        hits.push_back({cmd, GetControl32BitValue(c)});
        return OSStatus(noErr);
    };
    const EventTypeSpec hit = {kEventClassControl, kEventControlHit};
    ASSERT_EQ(InstallWindowEventHandler(w, HandlerFn, 1, &hit, &onHit, nullptr), noErr);
    ShowWindow(w);
    ASSERT_TRUE(PumpUntil([&] { return Viewable(GetWindowXID(w)); }));
    Pump(0.1);
    {
        SyncWindowServer();
        Screenshot shot(mX, GetWindowXID(w));
        ASSERT_TRUE(shot.Valid());
        EXPECT_TRUE(shot.At(150, 130).Near(0xdc, 0xdc, 0xdc));  // plain background
        EXPECT_TRUE(shot.At(200, 155).Near(0xf4, 0xf4, 0xf4));  // the button's face
        auto dark = [](Screenshot::RGB c) { return c.r < 0x60 && c.g < 0x60 && c.b < 0x60; };
        EXPECT_GT(shot.Count(10, 10, 210, 26, dark), 20);   // the static text's letters
        EXPECT_GT(shot.Count(210, 150, 260, 180, dark), 3);  // "OK"
        EXPECT_EQ(shot.Count(10, 130, 180, 200, dark), 0);   // nothing where no control is
    }

    // Each gesture is queued on the server whole: the control tracks it inside the event loop.
    Rect g;
    GetWindowBounds(w, kWindowContentRgn, &g);
    auto press = [&](int x, int y) {
        MovePointer(g.left + x, g.top + y);
        Pump(0.03);
        Button(1, true);
    };
    // Dragging the slider's thumb to the right: one hit at the end, the value on a step.
    press(150, 94);
    for (int x = 150; x <= 240; x += 15) MovePointer(g.left + x, g.top + 94);
    Button(1, false);
    ASSERT_TRUE(PumpUntil([&] { return hits.size() == 1; }));
    const SInt32 v = hits[0].second;  // read when the hit came
    EXPECT_EQ(hits[0].first, FourCC("guis"));
    EXPECT_TRUE(v > 150 && v <= 200 && v % 10 == 0) << v;

    // A press that leaves the button before release is no hit; a full click is.
    press(230, 165);
    MovePointer(g.left + 150, g.top + 130);
    Button(1, false);
    Pump(0.2);
    EXPECT_EQ(hits.size(), 1u);
    press(230, 165);
    Button(1, false);
    ASSERT_TRUE(PumpUntil([&] { return hits.size() == 2; }));
    EXPECT_EQ(hits[1].first, FourCC("ok  "));
    DisposeWindow(w);
}
