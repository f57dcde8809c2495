// Code-page conversion on iconv. Descriptors are opened once per thread and
// direction, reset before each use and closed when the thread ends; after
// that (the main thread's go before the destructors of statics run) a call
// opens its own.
//
// iconv's CP936 refuses the user-defined areas of code page 936, which
// Windows maps to private-use code points: those characters are mapped by
// the common table and the text between them goes through iconv.
#include "contracts/platform/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>

#include "components/platform/common/GbkUserAreas.h"

namespace Platform {
namespace {

constexpr const char* kGbk = "CP936";
constexpr const char* kWide = "WCHAR_T";
constexpr const char* kUtf8 = "UTF-8";

const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

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
    detail::Char (*charAt)(const InString&, std::size_t);
    void (*appendUser)(OutString&, unsigned);
    size_t halfUnitsPerUnit;
};

// Converts `in` into `out`, the runs between user-defined characters
// through iconv, which judges everything else.
template <typename InString, typename OutString>
bool convert(const Direction<InString, OutString>& d, const InString& in, OutString& out) {
    ThreadConverters* const mine = converters();
    Converter spare(d.to, d.from);  // opens nothing unless used
    Converter& converter = mine != nullptr ? mine->*d.converter : spare;
    return detail::convertAroundUserAreas(
        in, out, d.charAt, d.appendUser, [&](std::size_t begin, std::size_t end) {
            const iconv_t cd = converter.get();
            return cd != kInvalid &&
                   appendIconv(cd, reinterpret_cast<const char*>(in.data() + begin),
                               (end - begin) * sizeof(in[0]), out,
                               (end - begin) * d.halfUnitsPerUnit / 2);
        });
}

// Usual sizes: a GBK character is one or two bytes and becomes one wide
// character or up to three UTF-8 bytes.
constexpr Direction<std::string, std::wstring> kGbkToWide{
    &ThreadConverters::gbkToWide, kWide, kGbk, detail::gbkCharAt, detail::appendWideUser, 2};
constexpr Direction<std::wstring, std::string> kWideToGbk{
    &ThreadConverters::wideToGbk, kGbk, kWide, detail::wideCharAt, detail::appendGbkUser, 4};
constexpr Direction<std::string, std::string> kGbkToUtf8{
    &ThreadConverters::gbkToUtf8, kUtf8, kGbk, detail::gbkCharAt, detail::appendUtf8User, 3};
constexpr Direction<std::string, std::string> kUtf8ToGbk{
    &ThreadConverters::utf8ToGbk, kGbk, kUtf8, detail::utf8CharAt, detail::appendGbkUser, 2};

// glibc's iconv drops Unicode tag characters, U+E0000..U+E007F, on the way
// to a legacy charset instead of refusing them; GBK cannot hold them.
bool isTag(unsigned long codePoint) { return codePoint >> 7 == 0xE0000 >> 7; }

bool hasTag(const std::wstring& s) {
    return std::any_of(s.begin(), s.end(),
                       [](wchar_t c) { return isTag(static_cast<unsigned long>(c)); });
}

// In UTF-8 they start F3 A0 80 or F3 A0 81.
bool hasTag(const std::string& utf8) {
    for (std::size_t i = utf8.find("\xF3\xA0"); i != std::string::npos;
         i = utf8.find("\xF3\xA0", i + 1)) {
        if (i + 2 < utf8.size() && (utf8[i + 2] == '\x80' || utf8[i + 2] == '\x81')) return true;
    }
    return false;
}

template <typename OutString>
bool refuse(OutString& out) {
    out.clear();
    out.shrink_to_fit();
    return false;
}

}  // namespace

bool gbkToWide(const std::string& in, std::wstring& out) { return convert(kGbkToWide, in, out); }

bool wideToGbk(const std::wstring& in, std::string& out) {
    return hasTag(in) ? refuse(out) : convert(kWideToGbk, in, out);
}

bool gbkToUtf8(const std::string& in, std::string& out) { return convert(kGbkToUtf8, in, out); }

bool utf8ToGbk(const std::string& in, std::string& out) {
    return hasTag(in) ? refuse(out) : convert(kUtf8ToGbk, in, out);
}

}  // namespace Platform
