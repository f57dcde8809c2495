#include "contracts/net/CMessageDigestV.h"

#include <openssl/evp.h>

#include <algorithm>
#include <climits>

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
