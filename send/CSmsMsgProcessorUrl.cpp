// URL form encoding of byte strings, for the caller.
#include <climits>
#include <cstddef>
#include <cstdlib>

#include "send/CSmsMsgProcessor.h"

namespace SMS {

namespace {

// Bytes copied as they are; every other byte but the space is escaped.
bool isUnreserved(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           c == '-' || c == '.' || c == '_';
}

// The value of a hexadecimal digit of either case, or -1.
int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The largest input whose encoded length (3 bytes per input byte at most)
// still fits the int result.
constexpr int kMaxEncodable = INT_MAX / 3;

}  // namespace

char* CSmsMsgProcessor::urlencode(const char* src, int len, int* outLen) {
    if (outLen != nullptr) *outLen = 0;
    // A negative length or a missing source encodes as nothing.
    const int count = (src == nullptr || len < 0) ? 0 : len;
    if (count > kMaxEncodable) return nullptr;
    auto* const out = static_cast<char*>(std::malloc(3 * static_cast<std::size_t>(count) + 1));
    if (out == nullptr) return nullptr;

    static const char kHex[] = "0123456789ABCDEF";
    int written = 0;
    for (int i = 0; i < count; ++i) {
        const auto c = static_cast<unsigned char>(src[i]);
        if (c == ' ') {
            out[written++] = '+';
        } else if (isUnreserved(c)) {
            out[written++] = static_cast<char>(c);
        } else {
            out[written++] = '%';
            out[written++] = kHex[c >> 4];
            out[written++] = kHex[c & 0x0F];
        }
    }
    out[written] = '\0';
    if (outLen != nullptr) *outLen = written;
    return out;
}

int CSmsMsgProcessor::urldecode(char* buf, int len) {
    if (buf == nullptr) return 0;
    const int count = len < 0 ? 0 : len;
    int written = 0;
    for (int i = 0; i < count; ++i) {
        const char c = buf[i];
        if (c == '+') {
            buf[written++] = ' ';
        } else if (c == '%' && count - i > 2 && hexValue(buf[i + 1]) >= 0 &&
                   hexValue(buf[i + 2]) >= 0) {
            buf[written++] = static_cast<char>(hexValue(buf[i + 1]) * 16 + hexValue(buf[i + 2]));
            i += 2;
        } else {
            buf[written++] = c;
        }
    }
    buf[written] = '\0';
    return written;
}

}  // namespace SMS
