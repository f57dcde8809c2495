// Code-page conversion on MultiByteToWideChar / WideCharToMultiByte. The
// user-defined areas go through the common table, as on POSIX; every other
// run must survive the round trip back unchanged, so best-fit and
// substitute characters are refused rather than written.
//
// Windows also maps the codes GBK leaves unassigned among its symbols (A2AB,
// A4F4, FE51 and so on) to private use, U+E766..U+E864; iconv refuses them.
// A run therefore holds no private-use code point at all, so both sides
// accept the same text.
#include "contracts/platform/CodePage.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstddef>

#include "components/platform/common/GbkUserAreas.h"

namespace Platform {
namespace {

constexpr UINT kGbk = 936;

// Appends `n` bytes at `in` in `codePage` to `out` as UTF-16; false on
// invalid input.
bool appendDecoded(UINT codePage, const char* in, std::size_t n, std::wstring& out) {
    if (n > INT_MAX) return false;
    const int inLength = static_cast<int>(n);
    const int needed =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in, inLength, nullptr, 0);
    if (needed <= 0) return false;
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(needed));
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in, inLength, &out[start], needed) ==
           needed;
}

// Appends `n` UTF-16 units at `in` to `out` in `codePage`; false when any
// of them has no exact code there.
bool appendEncoded(UINT codePage, const wchar_t* in, std::size_t n, std::string& out) {
    if (n > INT_MAX) return false;
    const int inLength = static_cast<int>(n);
    const DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* const usedDefaultOut = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const int needed =
        WideCharToMultiByte(codePage, flags, in, inLength, nullptr, 0, nullptr, usedDefaultOut);
    if (needed <= 0 || usedDefault) return false;
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(needed));
    return WideCharToMultiByte(codePage, flags, in, inLength, &out[start], needed, nullptr,
                               usedDefaultOut) == needed &&
           !usedDefault;
}

// Private use outside the user-defined areas, which never reach a run.
bool hasPrivateUse(const wchar_t* begin, const wchar_t* end) {
    return std::any_of(begin, end, [](wchar_t c) { return c >= 0xE000 && c <= 0xF8FF; });
}

// GBK bytes to UTF-16, kept only if they encode back to the same bytes.
bool appendGbkRun(const char* in, std::size_t n, std::wstring& out) {
    const std::size_t start = out.size();
    std::string back;
    return appendDecoded(kGbk, in, n, out) &&
           !hasPrivateUse(out.data() + start, out.data() + out.size()) &&
           appendEncoded(kGbk, out.data() + start, out.size() - start, back) &&
           back.compare(0, std::string::npos, in, n) == 0;
}

// UTF-16 to GBK bytes, kept only if they decode back to the same text.
bool appendWideRun(const wchar_t* in, std::size_t n, std::string& out) {
    const std::size_t start = out.size();
    std::wstring back;
    return !hasPrivateUse(in, in + n) && appendEncoded(kGbk, in, n, out) &&
           appendDecoded(kGbk, out.data() + start, out.size() - start, back) &&
           back.compare(0, std::wstring::npos, in, n) == 0;
}

}  // namespace

bool gbkToWide(const std::string& in, std::wstring& out) {
    return detail::convertAroundUserAreas(in, out, detail::gbkCharAt, detail::appendWideUser,
                                          [&](std::size_t begin, std::size_t end) {
                                              return appendGbkRun(in.data() + begin, end - begin,
                                                                  out);
                                          });
}

bool wideToGbk(const std::wstring& in, std::string& out) {
    return detail::convertAroundUserAreas(in, out, detail::wideCharAt, detail::appendGbkUser,
                                          [&](std::size_t begin, std::size_t end) {
                                              return appendWideRun(in.data() + begin, end - begin,
                                                                   out);
                                          });
}

bool gbkToUtf8(const std::string& in, std::string& out) {
    return detail::convertAroundUserAreas(
        in, out, detail::gbkCharAt, detail::appendUtf8User,
        [&](std::size_t begin, std::size_t end) {
            std::wstring wide;
            return appendGbkRun(in.data() + begin, end - begin, wide) &&
                   appendEncoded(CP_UTF8, wide.data(), wide.size(), out);
        });
}

bool utf8ToGbk(const std::string& in, std::string& out) {
    return detail::convertAroundUserAreas(in, out, detail::utf8CharAt, detail::appendGbkUser,
                                          [&](std::size_t begin, std::size_t end) {
                                              std::wstring wide;
                                              return appendDecoded(CP_UTF8, in.data() + begin,
                                                                   end - begin, wide) &&
                                                     appendWideRun(wide.data(), wide.size(), out);
                                          });
}

}  // namespace Platform
