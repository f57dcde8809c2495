#include "PacketCodec.h"

#include <cstring>

namespace SMS::NET::codec {
namespace {

// Zigzag keeps small negative ids as short as small positive ones.
std::uint32_t zigzag(int value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return (bits << 1) ^ (0u - (bits >> 31));
}

int unzigzag(std::uint32_t bits) {
    return static_cast<int>((bits >> 1) ^ (0u - (bits & 1u)));
}

std::size_t varintSize(std::uint32_t value) {
    std::size_t size = 1;
    while (value >= 0x80) {
        value >>= 7;
        ++size;
    }
    return size;
}

std::size_t lengthSize(std::size_t length) {
    return varintSize(static_cast<std::uint32_t>(length));
}

}  // namespace

std::size_t encodedSize(int value) { return varintSize(zigzag(value)); }

std::size_t encodedSize(const std::string& value) {
    return lengthSize(value.size()) + value.size();
}

std::size_t encodedSize(const std::vector<int>& values) {
    std::size_t size = lengthSize(values.size());
    for (const int value : values) size += encodedSize(value);
    return size;
}

std::size_t encodedSize(const std::vector<std::string>& values) {
    std::size_t size = lengthSize(values.size());
    for (const std::string& value : values) size += encodedSize(value);
    return size;
}

void Writer::header(PacketKind kind) {
    *out_++ = kFormatVersion;
    *out_++ = static_cast<unsigned char>(kind);
}

void Writer::putVarint(std::uint32_t value) {
    while (value >= 0x80) {
        *out_++ = static_cast<unsigned char>(value | 0x80);
        value >>= 7;
    }
    *out_++ = static_cast<unsigned char>(value);
}

void Writer::put(int value) { putVarint(zigzag(value)); }

void Writer::put(const std::string& value) {
    putVarint(static_cast<std::uint32_t>(value.size()));
    if (!value.empty()) std::memcpy(out_, value.data(), value.size());
    out_ += value.size();
}

void Writer::put(const std::vector<int>& values) {
    putVarint(static_cast<std::uint32_t>(values.size()));
    for (const int value : values) put(value);
}

void Writer::put(const std::vector<std::string>& values) {
    putVarint(static_cast<std::uint32_t>(values.size()));
    for (const std::string& value : values) put(value);
}

Reader::Reader(const std::string& text)
    : pos_(reinterpret_cast<const unsigned char*>(text.data())), end_(pos_ + text.size()) {}

bool Reader::header(PacketKind kind) {
    if (remaining() < kHeaderSize) return false;
    if (pos_[0] != kFormatVersion || pos_[1] != static_cast<unsigned char>(kind)) return false;
    pos_ += kHeaderSize;
    return true;
}

// Accepts only the minimal encoding of a 32-bit value, so that every value has
// one text and a parsed packet writes back unchanged.
bool Reader::getVarint(std::uint32_t& value) {
    std::uint32_t result = 0;
    for (int shift = 0; pos_ != end_; shift += 7) {
        const unsigned char byte = *pos_++;
        if (shift == 28 && byte > 0x0F) return false;  // more than 32 bits
        result |= static_cast<std::uint32_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) {
            if (byte == 0 && shift != 0) return false;  // padded with a zero group
            value = result;
            return true;
        }
    }
    return false;  // the text ends inside the number
}

bool Reader::get(int& value) {
    std::uint32_t bits = 0;
    if (!getVarint(bits)) return false;
    value = unzigzag(bits);
    return true;
}

bool Reader::get(std::string& value) {
    std::uint32_t length = 0;
    if (!getVarint(length) || length > remaining()) return false;
    value.assign(reinterpret_cast<const char*>(pos_), length);
    pos_ += length;
    return true;
}

// Each entry takes at least one byte, so a count above the bytes left is a lie;
// checking it first also keeps the reservation within the text's size.
bool Reader::get(std::vector<int>& values) {
    std::uint32_t count = 0;
    if (!getVarint(count) || count > remaining()) return false;
    values.clear();
    values.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        int value = 0;
        if (!get(value)) return false;
        values.push_back(value);
    }
    return true;
}

bool Reader::get(std::vector<std::string>& values) {
    std::uint32_t count = 0;
    if (!getVarint(count) || count > remaining()) return false;
    values.clear();
    values.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        values.emplace_back();
        if (!get(values.back())) return false;
    }
    return true;
}

}  // namespace SMS::NET::codec
