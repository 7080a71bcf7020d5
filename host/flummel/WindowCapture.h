// A connection of our own to the X server, for reading a window's pixels back as the server
// has them.
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

    // The window's pixels as packed RGB, rows top first, and its size; throws CliError.
    std::vector<unsigned char> Capture(unsigned long window, int& width, int& height) const;

private:
    Display* mDisplay;
};
