// Small text helpers of the gateway simulator: code pages, Base64, digests,
// local time.
#pragma once

#include <cstddef>
#include <string>

namespace smsgw {

// GBK bytes as UTF-8; empty when they do not convert.
std::string utf8Of(const std::string& gbk);
// UTF-8 as GBK bytes; false when the text does not convert.
bool gbkOf(const std::string& utf8, std::string& gbk);
// Standard Base64 with padding, nothing else accepted.
bool decodeBase64(const std::string& text, std::string& bytes);
// SHA-256 of `bytes` in lowercase hex.
std::string sha256Hex(const std::string& bytes);
// Characters of a GBK text: a lead byte with its trail byte counts once.
std::size_t gbkCharCount(const std::string& gbk);
// "YYYY-MM-DD HH:MM:SS", local time now.
std::string localTimeText();

}  // namespace smsgw
