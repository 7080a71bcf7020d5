// Font files for the font paths a program names: a path that exists is used as it is; otherwise
// the installed face that fontconfig matches for the name is used (a sans-serif face for
// "GillSans", a monospaced one for "Monaco", the name as a family for others). Any thread.
#pragma once

#include <string>

class FontLocator {
public:
    // The file to hand to the font renderer; empty when no scalable font is installed at all.
    static std::string FileFor(const char* requestedPath);
    // The installed scalable face fontconfig matches for a pattern such as "monospace".
    static std::string FileForPattern(const std::string& pattern);
};
