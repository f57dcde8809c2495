// The keys of timed messages travel as one comma-separated text. The
// embedded gateway and the simulator split it the same way: empty pieces
// are kept, so that a list like "a,,b" can be refused.
#pragma once

#include <string>
#include <vector>

namespace SMS::NET {

// "a,b,c" into its keys; an empty text has none.
inline std::vector<std::string> splitTimerKeys(const std::string& keys) {
    std::vector<std::string> out;
    if (keys.empty()) return out;
    std::size_t start = 0;
    for (std::size_t comma; (comma = keys.find(',', start)) != std::string::npos;
         start = comma + 1) {
        out.push_back(keys.substr(start, comma - start));
    }
    out.push_back(keys.substr(start));
    return out;
}

}  // namespace SMS::NET
