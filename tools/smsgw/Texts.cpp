#include "Texts.h"

#include <openssl/sha.h>

#include <cstdint>
#include <cstdio>

#include "contracts/platform/CodePage.h"
#include "contracts/platform/Time.h"

namespace smsgw {

std::string utf8Of(const std::string& gbk) {
    std::string out;
    return Platform::gbkToUtf8(gbk, out) ? out : std::string();
}

bool gbkOf(const std::string& utf8, std::string& gbk) { return Platform::utf8ToGbk(utf8, gbk); }

namespace {

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

bool decodeBase64(const std::string& text, std::string& bytes) {
    bytes.clear();
    if (text.size() % 4 != 0) return false;
    const std::size_t padding =
        text.empty() ? 0 : (text.back() == '=') + (text.size() > 1 && text[text.size() - 2] == '=');
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < text.size() - padding; ++i) {
        const int v = base64Value(text[i]);
        if (v < 0) return false;
        bits = (bits << 6) | static_cast<std::uint32_t>(v);
        if (i % 4 == 3) {
            bytes += static_cast<char>(bits >> 16), bytes += static_cast<char>(bits >> 8);
            bytes += static_cast<char>(bits);
            bits = 0;
        }
    }
    // The last group: 2 or 3 characters whose unused low bits must be zero,
    // so that every byte string has exactly one accepted text.
    if (padding == 2) {
        if (bits & 0xF) return false;
        bytes += static_cast<char>(bits >> 4);
    } else if (padding == 1) {
        if (bits & 0x3) return false;
        bytes += static_cast<char>(bits >> 10), bytes += static_cast<char>(bits >> 2);
    }
    return true;
}

std::string sha256Hex(const std::string& bytes) {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest);
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (const unsigned char c : digest) hex += digits[c >> 4], hex += digits[c & 15];
    return hex;
}

std::size_t gbkCharCount(const std::string& gbk) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < gbk.size(); ++count) {
        const auto lead = static_cast<unsigned char>(gbk[i]);
        const auto trail = i + 1 < gbk.size() ? static_cast<unsigned char>(gbk[i + 1]) : 0;
        const bool pair = lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE &&
                          trail != 0x7F;
        i += pair ? 2 : 1;
    }
    return count;
}

std::string localTimeText() {
    const Platform::SystemTime now = Platform::getLocalTime();
    char text[48];  // room for any unsigned short in every field
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond);
    return text;
}

}  // namespace smsgw
