// The text form of interface resources: named windows, each with a list of standard controls.
//
//   # comment
//   window "Dialog" title "Settings" at 200 160 size 380 300 class movable-modal
//     checkbox id 'cndy' command 'cndy' at 20 52 size 340 20 title "Eye candy" value 1
//     slider id 'guis' command 'guis' at 20 166 size 340 28 min 50 max 200 step 10 value 100
//   end
//
// Kinds: text (static text), checkbox, slider, button. A window's position is in screen pixels,
// a control's in window pixels from the top left. `id` takes a four-character code and an
// optional number (0 by default); `command` a four-character code; codes are in single quotes.
// Window classes: document (the default), modal, movable-modal, floating, plain.
#pragma once

#include <string>
#include <vector>

#include "platform/desktop/Controls.h"
#include "platform/desktop/Windows.h"

class InterfaceDescription {
public:
    struct Control {
        OSType kind = 0;  // kControlKindStaticText, ...CheckBox, ...Slider, ...PushButton
        bool hasID = false;
        ControlID id{0, 0};
        UInt32 command = 0;
        Rect bounds{};
        std::string title;
        SInt32 value = 0, minimum = 0, maximum = 0, step = 1;
    };
    struct Window {
        std::string name;
        std::string title;
        Rect bounds{};
        WindowClass windowClass = kDocumentWindowClass;
        std::vector<Control> controls;
    };

    // Replaces the description by the one in `text`; false with "line N: problem" in `error`.
    bool Parse(const std::string& text, std::string& error);
    const Window* Find(const std::string& name) const;  // null when absent
    const std::vector<Window>& Windows() const { return mWindows; }

private:
    std::vector<Window> mWindows;
};
