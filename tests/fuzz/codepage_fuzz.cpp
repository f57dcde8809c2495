// The platform's code-page conversions on any bytes: read as GBK, as UTF-8
// and as wide characters. The two readings of GBK must agree, and what a
// conversion produces must be accepted by the conversion back; a failure
// leaves its output empty.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "contracts/platform/CodePage.h"
#include "tests/fuzz/FuzzFields.h"

namespace {

std::string utf8Of(const std::wstring& wide) {
    std::string out;
    for (const wchar_t c : wide) {
        const auto cp = static_cast<std::uint32_t>(c);
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | cp >> 6);
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | cp >> 12);
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | cp >> 18);
            out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

void fromGbk(const std::string& bytes) {
    std::wstring wide;
    std::string utf8;
    const bool toWide = Platform::gbkToWide(bytes, wide);
    const bool toUtf8 = Platform::gbkToUtf8(bytes, utf8);
    fuzz::require(toWide == toUtf8, "GBK converts to wide exactly when it converts to UTF-8");
    if (!toWide) {
        fuzz::require(wide.empty() && utf8.empty(), "a failed conversion leaves nothing");
        return;
    }
    fuzz::require(utf8Of(wide) == utf8, "the wide and the UTF-8 reading of GBK agree");
}

void fromUtf8(const std::string& bytes) {
    std::string gbk, back;
    if (!Platform::utf8ToGbk(bytes, gbk)) {
        fuzz::require(gbk.empty(), "a failed conversion leaves nothing");
        return;
    }
    fuzz::require(Platform::gbkToUtf8(gbk, back), "GBK made from UTF-8 converts back");
}

void fromWide(const std::uint8_t* data, std::size_t size) {
    std::wstring wide(size / sizeof(wchar_t), L'\0');
    if (!wide.empty()) std::memcpy(&wide[0], data, wide.size() * sizeof(wchar_t));
    std::string gbk;
    std::wstring back;
    if (!Platform::wideToGbk(wide, gbk)) {
        fuzz::require(gbk.empty(), "a failed conversion leaves nothing");
        return;
    }
    fuzz::require(Platform::gbkToWide(gbk, back), "GBK made from wide text converts back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = fuzz::asString(data, size);
    fromGbk(bytes);
    fromUtf8(bytes);
    fromWide(data, size);
    return 0;
}
