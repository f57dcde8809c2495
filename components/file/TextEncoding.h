// Which text encoding a CSV file holds.
#pragma once

#include <string>

namespace FileSerialize {

enum class Encoding {
    Gbk,      // taken byte for byte
    Utf8,     // converted to GBK
    Utf8Bom,  // converted to GBK after the three-byte mark
};

extern const char kUtf8Bom[4];

// Decided by validity: a UTF-8 byte-order mark means UTF-8; otherwise text
// that is entirely valid UTF-8 with at least one multi-byte sequence is
// UTF-8; anything else is GBK.
Encoding detectEncoding(const std::string& bytes);

}  // namespace FileSerialize
