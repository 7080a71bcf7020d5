#include "host/flummel/ProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

ProgressBar::ProgressBar(bool enabled) : mEnabled(enabled && isatty(STDERR_FILENO)) {}

ProgressBar::~ProgressBar()
{
    if (mEnabled && mShown >= 0) std::fprintf(stderr, "\r%60s\r", "");
}

void ProgressBar::Update(double fraction)
{
    if (!mEnabled) return;
    const int percent = int(std::clamp(fraction, 0.0, 1.0) * 100.0);
    if (percent == mShown) return;
    mShown = percent;
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    std::fprintf(stderr, "\rrendering [%s%s] %3d%%", std::string(size_t(filled), '#').c_str(),
                 std::string(size_t(kWidth - filled), '.').c_str(), percent);
    std::fflush(stderr);
}
