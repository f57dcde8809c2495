// Character boundaries in GBK text, for the template code of this folder.
// A character is one byte below 0x80, or a lead byte 0x81..0xFE followed by
// a trail byte 0x40..0x7E or 0x80..0xFE. Any other byte (0x80, 0xFF, a lead
// byte without a valid trail byte, or at the end) is not valid GBK; it is
// taken as a character of its own, so every byte string has one defined
// reading and nothing is ever skipped.
#pragma once

#include <cstddef>
#include <string>

namespace SMS {
namespace gbk {

// Bytes of the character that starts at `pos` (pos < text.size()): 1 or 2.
std::size_t charLength(const std::string& text, std::size_t pos);

// Characters of `text`, read as above.
std::size_t charCount(const std::string& text);

// The first occurrence of `needle` in `text` that starts at a character
// boundary at or after `from`, or npos. `from` must itself be a boundary.
std::size_t find(const std::string& text, const std::string& needle, std::size_t from = 0);

}  // namespace gbk
}  // namespace SMS
