// A progress object that records every call in order, as text such as
// "setRange(0,10,1)", "refresh()", "offsetPos(1)", "setText(<format>)" and
// "isCanceled()"; it never cancels. The format is kept as given: the library
// passes plain titles.
#pragma once

#include <string>
#include <vector>

#include "contracts/progress.h"

namespace fakes {

struct RecordingProgressDlg : IBaseProgressDlg {
    std::vector<std::string> calls;

    void setRange(int lower, int upper, int step) override {
        calls.push_back("setRange(" + n(lower) + "," + n(upper) + "," + n(step) + ")");
    }
    void refresh() override { calls.push_back("refresh()"); }
    void offsetPos(int delta) override { calls.push_back("offsetPos(" + n(delta) + ")"); }
    void setText(const char* format, ...) override {
        calls.push_back(std::string("setText(") + format + ")");
    }
    int isCanceled() override { return calls.push_back("isCanceled()"), 0; }
    static std::string n(int value) { return std::to_string(value); }
};

}  // namespace fakes
