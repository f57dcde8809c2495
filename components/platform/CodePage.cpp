// Code-page conversion on iconv. Descriptors are opened once per thread and
// direction, reset before each use and closed when the thread ends; after
// that (the main thread's go before the destructors of statics run) a call
// opens its own.
//
// iconv's CP936 refuses the user-defined areas of code page 936, which
// Windows maps to private-use code points: those characters are mapped here
// and the text between them goes through iconv.
#include "contracts/platform/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <new>

namespace Platform {
namespace {

constexpr const char* kGbk = "CP936";
constexpr const char* kWide = "WCHAR_T";
constexpr const char* kUtf8 = "UTF-8";

const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

// One user-defined area: leads by trails, filled lead by lead, trail by
// trail, 0x7F skipped, from `firstCode` on.
struct UserArea {
    unsigned firstLead, lastLead, firstTrail, lastTrail;
    unsigned firstCode;

    constexpr bool skips7F() const { return firstTrail < 0x7F && lastTrail > 0x7F; }
    constexpr unsigned trailsPerLead() const { return lastTrail - firstTrail + 1 - (skips7F() ? 1 : 0); }
    constexpr unsigned endCode() const { return firstCode + (lastLead - firstLead + 1) * trailsPerLead(); }
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
        if (lead < a.firstLead || lead > a.lastLead || trail < a.firstTrail || trail > a.lastTrail ||
            trail == 0x7F) {
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

// One character of the input: its length in units, and `code`, non-zero
// for a user-defined character (what it becomes in the target).
struct Char {
    std::size_t length;
    unsigned code;
};

unsigned byteAt(const std::string& s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

// A lead byte with any byte after it is one character; iconv judges the pair.
Char gbkChar(const std::string& s, std::size_t i) {
    const unsigned lead = byteAt(s, i);
    if (lead < 0x81 || lead > 0xFE || i + 1 >= s.size()) return {1, 0};
    return {2, userCodePoint(lead, byteAt(s, i + 1))};
}

Char wideChar(const std::wstring& s, std::size_t i) {
    return {1, userGbkCode(static_cast<unsigned long>(s[i]))};
}

// Private-use code points of the areas are three bytes, EE 80 80 .. EE 9D A5;
// every other byte is left to iconv.
Char utf8Char(const std::string& s, std::size_t i) {
    if (byteAt(s, i) != 0xEE || i + 2 >= s.size()) return {1, 0};
    const unsigned b1 = byteAt(s, i + 1), b2 = byteAt(s, i + 2);
    if ((b1 & 0xC0) != 0x80 || (b2 & 0xC0) != 0x80) return {1, 0};
    const unsigned gbk = userGbkCode(0xE000u | (b1 & 0x3F) << 6 | (b2 & 0x3F));
    return gbk != 0 ? Char{3, gbk} : Char{1, 0};
}

void appendWide(std::wstring& out, unsigned codePoint) { out.push_back(static_cast<wchar_t>(codePoint)); }

void appendUtf8(std::string& out, unsigned codePoint) {
    out.push_back(static_cast<char>(0xE0 | codePoint >> 12));
    out.push_back(static_cast<char>(0x80 | (codePoint >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
}

void appendGbk(std::string& out, unsigned code) {
    out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code & 0xFF));
}

// One conversion direction, opened on first use.
class Converter {
public:
    Converter(const char* to, const char* from) : to_(to), from_(from) {}
    ~Converter() {
        if (cd_ != kInvalid) {
            iconv_close(cd_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // The descriptor in its initial shift state, or kInvalid if iconv lacks
    // the charset.
    iconv_t get() {
        if (cd_ == kInvalid) {
            cd_ = iconv_open(to_, from_);
        }
        if (cd_ != kInvalid) {
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return cd_;
    }

private:
    const char* to_;
    const char* from_;
    iconv_t cd_ = kInvalid;
};

// Trivially destructible, so it can be read after this thread's converters
// are destroyed.
thread_local bool tConvertersGone = false;

struct ThreadConverters {
    ~ThreadConverters() { tConvertersGone = true; }
    Converter gbkToWide{kWide, kGbk};
    Converter wideToGbk{kGbk, kWide};
    Converter gbkToUtf8{kUtf8, kGbk};
    Converter utf8ToGbk{kGbk, kUtf8};
};

// This thread's converters, or null once they are destroyed.
ThreadConverters* converters() {
    if (tConvertersGone) return nullptr;
    thread_local ThreadConverters perThread;
    return &perThread;
}

// Appends the conversion of `inBytes` bytes at `in` to `out`, growing `out`
// whenever iconv runs out of room. Strict: any invalid, truncated or
// unmappable input fails.
template <typename OutString>
bool appendIconv(iconv_t cd, const char* in, size_t inBytes, OutString& out, size_t expectedUnits) {
    using Unit = typename OutString::value_type;
    size_t produced = out.size() * sizeof(Unit);
    out.resize(out.size() + (expectedUnits < 16 ? 16 : expectedUnits));
    // iconv takes a non-const input pointer but never writes through it.
    char* src = const_cast<char*>(in);
    size_t srcLeft = inBytes;
    bool flushing = false;
    for (;;) {
        char* const base = reinterpret_cast<char*>(&out[0]);
        const size_t capacity = out.size() * sizeof(Unit);
        char* dst = base + produced;
        size_t dstLeft = capacity - produced;
        // A null input flushes any pending shift state once all input is used.
        const size_t rc = flushing ? iconv(cd, nullptr, nullptr, &dst, &dstLeft)
                                   : iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        const int err = errno;
        produced = static_cast<size_t>(dst - base);
        if (rc != static_cast<size_t>(-1)) {
            if (flushing) {
                break;
            }
            flushing = true;
            continue;
        }
        if (err != E2BIG) {
            return false;  // EILSEQ: invalid or unmappable, EINVAL: truncated
        }
        out.resize(out.size() * 2);
    }
    out.resize(produced / sizeof(Unit));
    return true;
}

// A conversion: its descriptor, how its input splits into characters, how a
// user-defined character is written, and the output units a unit of input
// usually takes, in halves.
template <typename InString, typename OutString>
struct Direction {
    Converter ThreadConverters::*converter;
    const char* to;
    const char* from;
    Char (*charAt)(const InString&, std::size_t);
    void (*appendUser)(OutString&, unsigned);
    size_t halfUnitsPerUnit;
};

// Converts `in` into `out`: user-defined characters by the table above,
// the runs between them through iconv, which judges everything else.
template <typename InString, typename OutString>
bool convert(const Direction<InString, OutString>& d, const InString& in, OutString& out) {
    out.clear();
    ThreadConverters* const mine = converters();
    Converter spare(d.to, d.from);  // opens nothing unless used
    Converter& converter = mine != nullptr ? mine->*d.converter : spare;
    const auto appendRun = [&](std::size_t begin, std::size_t end) {
        if (begin == end) return true;
        const iconv_t cd = converter.get();
        return cd != kInvalid &&
               appendIconv(cd, reinterpret_cast<const char*>(in.data() + begin),
                           (end - begin) * sizeof(in[0]), out, (end - begin) * d.halfUnitsPerUnit / 2);
    };
    bool ok = true;
    try {
        std::size_t runStart = 0;
        for (std::size_t i = 0; ok && i < in.size();) {
            const Char c = d.charAt(in, i);
            if (c.code != 0) {
                ok = appendRun(runStart, i);
                d.appendUser(out, c.code);
                runStart = i + c.length;
            }
            i += c.length;
        }
        ok = ok && appendRun(runStart, in.size());
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (!ok) {
        out.clear();
        out.shrink_to_fit();
    }
    return ok;
}

// Usual sizes: a GBK character is one or two bytes and becomes one wide
// character or up to three UTF-8 bytes.
constexpr Direction<std::string, std::wstring> kGbkToWide{&ThreadConverters::gbkToWide, kWide, kGbk,
                                                      gbkChar, appendWide, 2};
constexpr Direction<std::wstring, std::string> kWideToGbk{&ThreadConverters::wideToGbk, kGbk, kWide,
                                                      wideChar, appendGbk, 4};
constexpr Direction<std::string, std::string> kGbkToUtf8{&ThreadConverters::gbkToUtf8, kUtf8, kGbk,
                                                     gbkChar, appendUtf8, 3};
constexpr Direction<std::string, std::string> kUtf8ToGbk{&ThreadConverters::utf8ToGbk, kGbk, kUtf8,
                                                     utf8Char, appendGbk, 2};

}  // namespace

bool gbkToWide(const std::string& in, std::wstring& out) { return convert(kGbkToWide, in, out); }

bool wideToGbk(const std::wstring& in, std::string& out) { return convert(kWideToGbk, in, out); }

bool gbkToUtf8(const std::string& in, std::string& out) { return convert(kGbkToUtf8, in, out); }

bool utf8ToGbk(const std::string& in, std::string& out) { return convert(kUtf8ToGbk, in, out); }

}  // namespace Platform
