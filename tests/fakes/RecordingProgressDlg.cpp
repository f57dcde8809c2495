#include "tests/fakes/RecordingProgressDlg.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace fakes {

void RecordingProgressDlg::setRange(int lower, int upper, int step) {
    calls_.push_back("setRange(" + std::to_string(lower) + "," + std::to_string(upper) + "," +
                     std::to_string(step) + ")");
}

void RecordingProgressDlg::refresh() { calls_.push_back("refresh()"); }

void RecordingProgressDlg::offsetPos(int delta) {
    calls_.push_back("offsetPos(" + std::to_string(delta) + ")");
}

void RecordingProgressDlg::setText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int size = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    if (size > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    calls_.push_back("setText(" + text + ")");
}

int RecordingProgressDlg::isCanceled() {
    calls_.push_back("isCanceled()");
    ++cancelCalls_;
    return cancelAt_ > 0 && cancelCalls_ >= cancelAt_ ? 1 : 0;
}

int RecordingProgressDlg::count(const std::string& call) const {
    return static_cast<int>(std::count(calls_.begin(), calls_.end(), call));
}

std::vector<std::string> RecordingProgressDlg::texts() const {
    std::vector<std::string> out;
    const std::string prefix = "setText(";
    for (const auto& call : calls_) {
        if (call.compare(0, prefix.size(), prefix) == 0) {
            out.push_back(call.substr(prefix.size(), call.size() - prefix.size() - 1));
        }
    }
    return out;
}

}  // namespace fakes
