// Records every line written to CLog while it lives, with its level. Used by
// tests to assert exact log lines; several captures may be live at once.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "contracts/export.h"

namespace Base {

class BASE_API CLogCapture {
public:
    struct Line {
        int level;
        std::string text;
        bool operator==(const Line& o) const { return level == o.level && text == o.text; }
    };

    CLogCapture();
    ~CLogCapture();
    CLogCapture(const CLogCapture&) = delete;
    CLogCapture& operator=(const CLogCapture&) = delete;

    std::vector<Line> lines() const;
    void clear();

    struct Sink;

private:
    std::shared_ptr<Sink> sink_;
};

}  // namespace Base
