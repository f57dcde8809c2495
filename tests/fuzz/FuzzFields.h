// Helpers shared by the fuzz harnesses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzz {

// An input of several fields: its first byte is the separator, the rest is
// cut at every occurrence of it ("|a||b" gives "a", "", "b"). So any byte
// value can reach every field, and seed files stay readable.
inline std::vector<std::string> splitFields(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> fields;
    if (size == 0) return fields;
    const char separator = static_cast<char>(data[0]);
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = rest.find(separator, start);
        fields.push_back(
            rest.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return fields;
        start = end + 1;
    }
}

// Where GBK characters start and end in `text`, read from its first byte: a
// lead byte 0x81..0xFE and a trail byte 0x40..0xFE other than 0x7F make one
// character, any other byte is one of its own.
struct GbkBoundaries {
    explicit GbkBoundaries(const std::string& text)
        : starts(text.size() + 1, false), ends(text.size() + 1, false) {
        for (std::size_t i = 0; i < text.size(); ++count) {
            starts[i] = true;
            const auto lead = static_cast<unsigned char>(text[i]);
            const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
            i += lead >= 0x81 && lead <= 0xFE && next >= 0x40 && next <= 0xFE && next != 0x7F ? 2
                                                                                              : 1;
            ends[i] = true;
        }
    }
    std::vector<bool> starts;  // a character begins at byte i
    std::vector<bool> ends;    // a character ends just before byte i
    std::size_t count = 0;     // characters
};

// Whether `key` occupies whole characters of `text`, whose boundaries are
// `b`; an empty key always does.
inline bool holdsWhole(const std::string& text, const GbkBoundaries& b, const std::string& key) {
    if (key.empty()) return true;
    for (std::size_t start = 0; start + key.size() <= text.size(); ++start) {
        if (b.starts[start] && b.ends[start + key.size()] &&
            text.compare(start, key.size(), key) == 0) {
            return true;
        }
    }
    return false;
}

inline bool holdsWhole(const std::string& text, const std::string& key) {
    return key.empty() || holdsWhole(text, GbkBoundaries(text), key);
}

inline std::string asString(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

// A broken promise of the code under test: named on stderr, then abort(),
// which the engine reports as a crash and keeps the input of.
inline void require(bool holds, const char* promise) {
    if (holds) return;
    std::fprintf(stderr, "broken promise: %s\n", promise);
    std::abort();
}

}  // namespace fuzz
