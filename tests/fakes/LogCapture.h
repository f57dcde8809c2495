// Captures the log lines written while it lives, with helpers for asserting
// on them.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "contracts/base/CLogCapture.h"

namespace fakes {

class LogCapture {
public:
    // The texts of the lines at `level`, or of all lines when level < 0.
    std::vector<std::string> texts(int level = -1) const {
        std::vector<std::string> out;
        for (const auto& line : capture_.lines())
            if (level < 0 || line.level == level) out.push_back(line.text);
        return out;
    }
    // How many lines have exactly this text.
    int count(const std::string& text) const {
        const auto all = texts();
        return static_cast<int>(std::count(all.begin(), all.end(), text));
    }
    void clear() { capture_.clear(); }

private:
    Base::CLogCapture capture_;
};

}  // namespace fakes
