// The library's progress interface on a terminal: a bar with the count, the
// rate and the time left, redrawn at most ten times a second; plain lines at
// each tenth when the output is not a terminal. Ctrl-C answers isCanceled.
// Used from the caller's thread only.
#pragma once

#include <chrono>
#include <string>

#include "contracts/progress.h"

namespace smsctl {

class TerminalProgress final : public IBaseProgressDlg {
public:
    TerminalProgress();
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void setRange(int lower, int upper, int step) override;
    void refresh() override;
    void offsetPos(int delta) override;
    void setText(const char* format, ...) override;
    int isCanceled() override;
    // Ends the bar's line; called by the destructor too.
    void finish();

private:
    void draw(bool force);

    const bool terminal_;
    std::string title_;  // UTF-8
    long long lower_ = 0, upper_ = 0, position_ = 0;
    int lastTenth_ = -1;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_, lastDraw_;
};

}  // namespace smsctl
