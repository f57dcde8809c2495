// Digest and encoding helpers of the network library.
#pragma once

#include <string>

#include "contracts/export.h"

namespace MD5 {

class NET_API CMessageDigestV {
public:
    CMessageDigestV();
    ~CMessageDigestV();

    // Writes the standard Base64 text (RFC 4648, with padding) of the first
    // `length` bytes of `in` to `out`, zero-terminated. `length` is clamped
    // to [0, in.size()]. `out` must hold 4 * ceil(length / 3) + 1 bytes;
    // a null `out` writes nothing.
    void base64_encode(std::string& in, int length, char* out) const;
};

}  // namespace MD5
