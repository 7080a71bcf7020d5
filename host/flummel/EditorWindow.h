// The effect's editor in a window of our own, opened the way a host opens it: the view
// component found through the component manager and asked for its view in the window. The
// window is sized to the pane, so its content is exactly the editor. Main thread only.
#pragma once

#include "platform/audio/AudioUnitTypes.h"
#include "platform/desktop/DesktopTypes.h"

class EditorWindow {
public:
    // Creates the window titled "Flummel" with the editor of `unit` in it, shown; closing it
    // quits the application event loop. Throws CliError.
    explicit EditorWindow(AudioUnit unit);
    ~EditorWindow();
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    unsigned long XID() const;
    // Set by the window system's events: the window was closed by the user; it is on screen.
    bool Closed() const { return mClosed; }
    bool Shown() const { return mShown; }

private:
    static OSStatus OnWindowEvent(EventHandlerCallRef, EventRef event, void* self);
    void Close();

    WindowRef mWindow = nullptr;
    ComponentInstance mView = nullptr;
    bool mClosed = false;
    bool mShown = false;
};
