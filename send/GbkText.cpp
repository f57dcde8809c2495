#include "send/GbkText.h"

namespace SMS {
namespace gbk {
namespace {

bool isLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

bool isTrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFE); }

}  // namespace

std::size_t charLength(const std::string& text, std::size_t pos) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    if (isLead(byte(pos)) && pos + 1 < text.size() && isTrail(byte(pos + 1))) return 2;
    return 1;
}

std::size_t charCount(const std::string& text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = p + text.size();
    std::size_t count = 0;
    for (; p != end; ++count) {
        p += (isLead(*p) && p + 1 != end && isTrail(p[1])) ? 2 : 1;
    }
    return count;
}

// A plain byte search proposes each candidate; a walk over the characters
// in front of it tells whether it starts on a boundary. The walk only moves
// forward, so it passes every byte once however many candidates there are.
std::size_t find(const std::string& text, const std::string& needle, std::size_t from) {
    std::size_t boundary = from;
    for (std::size_t pos = text.find(needle, from); pos != std::string::npos;
         pos = text.find(needle, boundary)) {
        while (boundary < pos) boundary += charLength(text, boundary);
        if (boundary == pos) return pos;
    }
    return std::string::npos;
}

}  // namespace gbk
}  // namespace SMS
