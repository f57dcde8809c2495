// Captures the log lines written while it lives, with helpers for asserting
// on them.
#pragma once

#include <string>
#include <vector>

#include "contracts/base/CLogCapture.h"

namespace fakes {

class LogCapture {
public:
    std::vector<Base::CLogCapture::Line> lines() const { return capture_.lines(); }
    // The texts of the lines at `level`, or of all lines when level < 0.
    std::vector<std::string> texts(int level = -1) const;
    // How many lines have exactly this text.
    int count(const std::string& text) const;
    void clear() { capture_.clear(); }

private:
    Base::CLogCapture capture_;
};

}  // namespace fakes
