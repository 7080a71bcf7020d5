// A connection of our own to the X server, for reading a window's pixels back as the server
// has them, and for what the window system's layer does not offer on a window.
#pragma once

#include <string>
#include <vector>

typedef struct _XDisplay Display;

class WindowCapture {
public:
    // Throws CliError "cannot open the X display" when there is none.
    WindowCapture();
    ~WindowCapture();
    WindowCapture(const WindowCapture&) = delete;
    WindowCapture& operator=(const WindowCapture&) = delete;

    // The window's pixels as packed RGB, rows top first, and its size; throws CliError. Parts
    // that other windows cover read as those windows.
    std::vector<unsigned char> Capture(unsigned long window, int& width, int& height) const;

    // Whether another window stands over part of this top-level window.
    bool Obscured(unsigned long window) const;
    // Puts the top-level window above all others.
    void Raise(unsigned long window) const;
    // Marks the window with this process's id (_NET_WM_PID), as window managers and tools expect.
    void MarkWithProcess(unsigned long window) const;

private:
    Display* mDisplay;
};
