#include "tools/smsctl/Terminal.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>

#include "contracts/platform/CodePage.h"
#include "tools/smsctl/Errors.h"

namespace smsctl {
namespace {

// Decodes one UTF-8 character at `i` (already known to be valid), moving `i`.
std::uint32_t nextCodePoint(const std::string& s, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    std::uint32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
    ++i;
    for (; extra > 0 && i < s.size(); --extra, ++i) cp = (cp << 6) | (byte(i) & 0x3F);
    return cp;
}

bool isWide(std::uint32_t cp) {
    return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
           (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
           (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
           (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x20000 && cp <= 0x3FFFD);
}

}  // namespace

std::string toGbk(const std::string& utf8, const std::string& what) {
    std::string gbk;
    if (Platform::utf8ToGbk(utf8, gbk)) return gbk;
    throw UsageError(what +
                     u8" is not UTF-8 text that GBK can hold; set the terminal to UTF-8 "
                     u8"(for example LANG=C.UTF-8)");
}

std::string toUtf8(const std::string& gbk) {
    std::string utf8;
    if (Platform::gbkToUtf8(gbk, utf8)) return utf8;
    // Convert what can be converted, a GBK character or an ASCII byte at a time.
    utf8.clear();
    for (std::size_t i = 0; i < gbk.size();) {
        const std::size_t n = static_cast<unsigned char>(gbk[i]) >= 0x81 ? 2 : 1;
        std::string piece;
        if (i + n <= gbk.size() && Platform::gbkToUtf8(gbk.substr(i, n), piece)) {
            utf8 += piece;
            i += n;
            continue;
        }
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(gbk[i]));
        utf8 += escaped;
        ++i;
    }
    return utf8;
}

std::size_t displayWidth(const std::string& utf8) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < utf8.size();) width += isWide(nextCodePoint(utf8, i)) ? 2 : 1;
    return width;
}

bool stdoutIsTerminal() { return ::isatty(STDOUT_FILENO) == 1; }
bool stderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace smsctl
