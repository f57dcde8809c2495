#include "components/platform/common/GbkUserAreas.h"

namespace Platform {
namespace detail {
namespace {

// One user-defined area: leads by trails, filled lead by lead, trail by
// trail, 0x7F skipped, from `firstCode` on.
struct UserArea {
    unsigned firstLead, lastLead, firstTrail, lastTrail;
    unsigned firstCode;

    constexpr bool skips7F() const { return firstTrail < 0x7F && lastTrail > 0x7F; }
    constexpr unsigned trailsPerLead() const {
        return lastTrail - firstTrail + 1 - (skips7F() ? 1 : 0);
    }
    constexpr unsigned endCode() const {
        return firstCode + (lastLead - firstLead + 1) * trailsPerLead();
    }
};

constexpr UserArea kUserAreas[] = {
    {0xAA, 0xAF, 0xA1, 0xFE, 0xE000},
    {0xF8, 0xFE, 0xA1, 0xFE, 0xE234},
    {0xA1, 0xA7, 0x40, 0xA0, 0xE4C6},
};
static_assert(kUserAreas[0].endCode() == kUserAreas[1].firstCode &&
                  kUserAreas[1].endCode() == kUserAreas[2].firstCode &&
                  kUserAreas[2].endCode() == 0xE766,
              "the areas take one run of private-use code points");

// The private-use code point of a two-byte code, or 0 outside the areas.
unsigned userCodePoint(unsigned lead, unsigned trail) {
    for (const UserArea& a : kUserAreas) {
        if (lead < a.firstLead || lead > a.lastLead || trail < a.firstTrail ||
            trail > a.lastTrail || trail == 0x7F) {
            continue;
        }
        const unsigned column = trail - a.firstTrail - (a.skips7F() && trail > 0x7F ? 1 : 0);
        return a.firstCode + (lead - a.firstLead) * a.trailsPerLead() + column;
    }
    return 0;
}

// The two-byte code (lead << 8 | trail) of a private-use code point, or 0.
unsigned userGbkCode(unsigned long codePoint) {
    for (const UserArea& a : kUserAreas) {
        if (codePoint < a.firstCode || codePoint >= a.endCode()) continue;
        const unsigned index = static_cast<unsigned>(codePoint) - a.firstCode;
        unsigned trail = a.firstTrail + index % a.trailsPerLead();
        if (a.skips7F() && trail >= 0x7F) ++trail;
        return (a.firstLead + index / a.trailsPerLead()) << 8 | trail;
    }
    return 0;
}

unsigned byteAt(const std::string& s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

}  // namespace

Char gbkCharAt(const std::string& s, std::size_t i) {
    const unsigned lead = byteAt(s, i);
    if (lead < 0x81 || lead > 0xFE || i + 1 >= s.size()) return {1, 0};
    return {2, userCodePoint(lead, byteAt(s, i + 1))};
}

Char wideCharAt(const std::wstring& s, std::size_t i) {
    return {1, userGbkCode(static_cast<unsigned long>(s[i]))};
}

// Private-use code points of the areas are three bytes, EE 80 80 .. EE 9D A5.
Char utf8CharAt(const std::string& s, std::size_t i) {
    if (byteAt(s, i) != 0xEE || i + 2 >= s.size()) return {1, 0};
    const unsigned b1 = byteAt(s, i + 1), b2 = byteAt(s, i + 2);
    if ((b1 & 0xC0) != 0x80 || (b2 & 0xC0) != 0x80) return {1, 0};
    const unsigned gbk = userGbkCode(0xE000u | (b1 & 0x3F) << 6 | (b2 & 0x3F));
    return gbk != 0 ? Char{3, gbk} : Char{1, 0};
}

void appendWideUser(std::wstring& out, unsigned codePoint) {
    out.push_back(static_cast<wchar_t>(codePoint));
}

void appendUtf8User(std::string& out, unsigned codePoint) {
    out.push_back(static_cast<char>(0xE0 | codePoint >> 12));
    out.push_back(static_cast<char>(0x80 | (codePoint >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
}

void appendGbkUser(std::string& out, unsigned code) {
    out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code & 0xFF));
}

}  // namespace detail
}  // namespace Platform
