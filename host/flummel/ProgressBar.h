// A one-line progress bar on standard error, drawn only when it is a terminal.
#pragma once

#include <cstddef>

class ProgressBar {
public:
    explicit ProgressBar(bool enabled);
    ~ProgressBar();  // clears the line
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // `fraction` of the work done, 0..1; redraws only when the shown percentage changes.
    void Update(double fraction);

private:
    bool mEnabled;
    int mShown = -1;
};
