// The text form shared by the four packet classes, kept compact because the
// send queue stores one such text for every packet:
//
//   version byte, kind byte, then each member in declaration order:
//   int     -> zigzag LEB128 varint (1 byte for small values, 5 at most)
//   string  -> varint byte length, then the bytes as they are
//   vector  -> varint entry count, then each entry as above
//
// Every value has exactly one encoding (minimal varints, exact lengths, no
// trailing bytes), so a text that parses writes back byte for byte, and
// anything else is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace SMS::NET::codec {

inline constexpr unsigned char kFormatVersion = 1;

// Second byte of every text; the numbers match the packet types of the send queue.
enum class PacketKind : unsigned char { SendA = 1, SendB = 2, TimerA = 3, TimerB = 4 };

std::size_t encodedSize(int value);
std::size_t encodedSize(const std::string& value);
std::size_t encodedSize(const std::vector<int>& values);
std::size_t encodedSize(const std::vector<std::string>& values);

// Writes into a buffer already sized by encodedSize.
class Writer {
public:
    explicit Writer(char* out) : out_(reinterpret_cast<unsigned char*>(out)) {}
    void header(PacketKind kind);
    void put(int value);
    void put(const std::string& value);
    void put(const std::vector<int>& values);
    void put(const std::vector<std::string>& values);

private:
    void putVarint(std::uint32_t value);
    unsigned char* out_;
};

// Reads a text without ever stepping past its end. Each call returns false on
// malformed input; what it has filled is then to be thrown away.
class Reader {
public:
    explicit Reader(const std::string& text);
    bool header(PacketKind kind);
    bool get(int& value);
    bool get(std::string& value);
    bool get(std::vector<int>& values);
    bool get(std::vector<std::string>& values);
    bool atEnd() const { return pos_ == end_; }

private:
    bool getVarint(std::uint32_t& value);
    std::size_t remaining() const { return static_cast<std::size_t>(end_ - pos_); }
    const unsigned char* pos_;
    const unsigned char* end_;
};

inline constexpr std::size_t kHeaderSize = 2;

// Replaces `text` with the encoding of `fields`, reusing its buffer.
template <class... Fields>
void encodePacket(std::string& text, PacketKind kind, const Fields&... fields) {
    const std::size_t size = kHeaderSize + (encodedSize(fields) + ...);
    text.clear();
    text.resize(size);
    Writer writer(text.data());
    writer.header(kind);
    (writer.put(fields), ...);
}

// Fills `fields` from `text`; false for a text of another kind or version,
// or one that is malformed. The fields are then partly filled.
template <class... Fields>
bool decodePacket(const std::string& text, PacketKind kind, Fields&... fields) {
    Reader reader(text);
    return reader.header(kind) && (reader.get(fields) && ...) && reader.atEnd();
}

}  // namespace SMS::NET::codec
