#include "tests/fakes/LogCapture.h"

namespace fakes {

std::vector<std::string> LogCapture::texts(int level) const {
    std::vector<std::string> out;
    for (const auto& line : capture_.lines()) {
        if (level < 0 || line.level == level) out.push_back(line.text);
    }
    return out;
}

int LogCapture::count(const std::string& text) const {
    int n = 0;
    for (const auto& line : capture_.lines()) n += line.text == text ? 1 : 0;
    return n;
}

}  // namespace fakes
