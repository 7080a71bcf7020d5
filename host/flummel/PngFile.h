// 8-bit RGB pictures written as PNG files through libpng.
#pragma once

#include <string>

// Writes `width` x `height` pixels, three bytes each, rows top first and packed, to `path`;
// throws CliError naming `shownPath`, the file the user knows `path` by.
void WritePng(const std::string& path, int width, int height, const unsigned char* rgb, const std::string& shownPath);
