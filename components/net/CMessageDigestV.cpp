#include "contracts/net/CMessageDigestV.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <algorithm>
#include <climits>

namespace {

// OpenSSL frees its state in an exit handler of its own, while the sending
// thread may still encrypt through the data library or encode here: it stays
// until the process is gone. Only OpenSSL's first initialisation in a process
// can ask for that, hence at load time, before any caller runs.
struct KeepOpenSslUntilTheEnd {
    KeepOpenSslUntilTheEnd() { OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr); }
} const g_keepOpenSsl;

}  // namespace

namespace MD5 {

CMessageDigestV::CMessageDigestV() = default;
CMessageDigestV::~CMessageDigestV() = default;

void CMessageDigestV::base64_encode(std::string& in, int length, char* out) const {
    if (out == nullptr) return;
    // Never read past the string, whatever length the caller claims.
    const int available = static_cast<int>(std::min<std::size_t>(in.size(), INT_MAX / 4 * 3));
    const int n = std::clamp(length, 0, available);
    // EVP_EncodeBlock writes 4 * ceil(n / 3) characters and a terminating zero.
    EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out),
                    reinterpret_cast<const unsigned char*>(in.data()), n);
}

}  // namespace MD5
