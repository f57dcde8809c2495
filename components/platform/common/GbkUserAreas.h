// The user-defined areas of code page 936, which Windows maps to private-use
// code points, and a conversion loop that writes their characters from this
// table and hands the text between them to the OS's converter. Both the iconv
// and the Windows conversions go through it, so they agree on these areas.
#pragma once

#include <cstddef>
#include <new>
#include <string>

namespace Platform {
namespace detail {

// One character of the input: its length in units, and `code`, non-zero for
// a user-defined character (what it becomes in the target).
struct Char {
    std::size_t length;
    unsigned code;
};

// A lead byte with any byte after it is one character; the run converter
// judges the pair.
Char gbkCharAt(const std::string& s, std::size_t i);
Char wideCharAt(const std::wstring& s, std::size_t i);
// A private-use code point of the areas, three UTF-8 bytes, or one byte.
Char utf8CharAt(const std::string& s, std::size_t i);

void appendWideUser(std::wstring& out, unsigned codePoint);
void appendUtf8User(std::string& out, unsigned codePoint);
void appendGbkUser(std::string& out, unsigned code);

// Converts `in` into `out`: user-defined characters by the table, the runs
// between them by `appendRun(begin, end)`, which appends the conversion of
// in[begin, end) to `out` or returns false. On failure `out` is left empty.
template <typename In, typename Out, typename AppendRun>
bool convertAroundUserAreas(const In& in, Out& out, Char (*charAt)(const In&, std::size_t),
                            void (*appendUser)(Out&, unsigned), AppendRun appendRun) {
    out.clear();
    bool ok = true;
    try {
        std::size_t runStart = 0;
        for (std::size_t i = 0; ok && i < in.size();) {
            const Char c = charAt(in, i);
            if (c.code != 0) {
                ok = runStart == i || appendRun(runStart, i);
                appendUser(out, c.code);
                runStart = i + c.length;
            }
            i += c.length;
        }
        ok = ok && (runStart == in.size() || appendRun(runStart, in.size()));
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (!ok) {
        out.clear();
        out.shrink_to_fit();
    }
    return ok;
}

}  // namespace detail
}  // namespace Platform
