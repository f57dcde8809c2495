#include "contracts/base/StringUtil.h"

namespace Base {

namespace {

// Walks `text` one character at a time: a GBK lead byte with a valid trail
// byte is one two-byte character, anything else (including a lead byte at the
// end or before an invalid trail byte) is a single byte.
class GbkScanner {
public:
    GbkScanner(const std::string& text, const std::string& delims) : text_(text), delims_(delims) {}

    std::size_t charLength(std::size_t i) const {
        if (i + 1 < text_.size() && isLead(byte(i)) && isTrail(byte(i + 1))) return 2;
        return 1;
    }
    bool isDelimiter(std::size_t i) const {
        return charLength(i) == 1 && delims_.find(text_[i]) != std::string::npos;
    }
    std::size_t skipDelimiters(std::size_t i) const {
        while (i < text_.size() && isDelimiter(i)) ++i;
        return i;
    }
    std::size_t findDelimiter(std::size_t i) const {
        while (i < text_.size() && !isDelimiter(i)) i += charLength(i);
        return i;
    }

private:
    unsigned char byte(std::size_t i) const { return static_cast<unsigned char>(text_[i]); }
    static bool isLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
    static bool isTrail(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

    const std::string& text_;
    const std::string& delims_;
};

}  // namespace

std::vector<std::string> StringUtil::split(const std::string& text, const std::string& delims,
                                           unsigned int maxSplits) {
    std::vector<std::string> pieces;
    const GbkScanner scan(text, delims);
    unsigned int splits = 0;
    for (std::size_t i = scan.skipDelimiters(0); i < text.size(); i = scan.skipDelimiters(i)) {
        if (maxSplits > 0 && splits == maxSplits) {
            pieces.push_back(text.substr(i));
            break;
        }
        const std::size_t end = scan.findDelimiter(i);
        pieces.push_back(text.substr(i, end - i));
        if (end < text.size()) ++splits;
        i = end;
    }
    return pieces;
}

}  // namespace Base
