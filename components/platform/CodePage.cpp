// Code-page conversion on iconv. Descriptors are opened once per thread and
// direction, reset before each use and closed when the thread ends; after
// that (the main thread's go before the destructors of statics run) a call
// opens its own.
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

// One conversion direction, opened on first use by this thread.
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

// Converts `inBytes` bytes at `in` into `out`, growing `out` whenever iconv
// runs out of room. Strict: any invalid, truncated or unmappable input fails.
template <typename OutString>
bool runIconv(iconv_t cd, const char* in, size_t inBytes, OutString& out, size_t initialUnits) {
    using Unit = typename OutString::value_type;
    out.assign(initialUnits < 16 ? 16 : initialUnits, Unit());
    // iconv takes a non-const input pointer but never writes through it.
    char* src = const_cast<char*>(in);
    size_t srcLeft = inBytes;
    size_t produced = 0;
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

template <typename InString, typename OutString>
bool convert(Converter ThreadConverters::*direction, const char* to, const char* from,
             const InString& in, OutString& out, size_t initialUnits) {
    out.clear();
    if (in.empty()) {
        return true;
    }
    ThreadConverters* const mine = converters();
    Converter spare(to, from);  // opens nothing unless used
    const iconv_t cd = (mine != nullptr ? mine->*direction : spare).get();
    if (cd == kInvalid) {
        return false;
    }
    bool ok = false;
    try {
        ok = runIconv(cd, reinterpret_cast<const char*>(in.data()), in.size() * sizeof(in[0]), out,
                      initialUnits);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (!ok) {
        out.clear();
        out.shrink_to_fit();
    }
    return ok;
}

}  // namespace

// Initial sizes cover the usual case in one pass: a GBK character is one or
// two bytes and becomes one wide character or up to three UTF-8 bytes.
bool gbkToWide(const std::string& in, std::wstring& out) {
    return convert(&ThreadConverters::gbkToWide, kWide, kGbk, in, out, in.size());
}

bool wideToGbk(const std::wstring& in, std::string& out) {
    return convert(&ThreadConverters::wideToGbk, kGbk, kWide, in, out, in.size() * 2);
}

bool gbkToUtf8(const std::string& in, std::string& out) {
    return convert(&ThreadConverters::gbkToUtf8, kUtf8, kGbk, in, out, in.size() + in.size() / 2);
}

bool utf8ToGbk(const std::string& in, std::string& out) {
    return convert(&ThreadConverters::utf8ToGbk, kGbk, kUtf8, in, out, in.size());
}

}  // namespace Platform
