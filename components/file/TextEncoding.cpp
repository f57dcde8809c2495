#include "components/file/TextEncoding.h"

#include <cstddef>

namespace FileSerialize {

const char kUtf8Bom[4] = "\xEF\xBB\xBF";

namespace {

unsigned byteAt(const std::string& s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

// Length of the valid UTF-8 sequence at `i`, or 0 when none starts there.
// Overlong forms, surrogates and code points above U+10FFFF are invalid.
std::size_t utf8SequenceAt(const std::string& s, std::size_t i) {
    const unsigned b0 = byteAt(s, i);
    if (b0 < 0x80) return 1;
    std::size_t length;
    unsigned low = 0x80, high = 0xBF;  // bounds of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        if (b0 == 0xE0) low = 0xA0;
        if (b0 == 0xED) high = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        if (b0 == 0xF0) low = 0x90;
        if (b0 == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > s.size()) return 0;
    const unsigned b1 = byteAt(s, i + 1);
    if (b1 < low || b1 > high) return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if ((byteAt(s, i + k) & 0xC0) != 0x80) return 0;
    }
    return length;
}

}  // namespace

Encoding detectEncoding(const std::string& bytes) {
    if (bytes.compare(0, 3, kUtf8Bom) == 0) return Encoding::Utf8Bom;
    bool multiByte = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = utf8SequenceAt(bytes, i);
        if (length == 0) return Encoding::Gbk;
        multiByte = multiByte || length > 1;
        i += length;
    }
    return multiByte ? Encoding::Utf8 : Encoding::Gbk;
}

}  // namespace FileSerialize
