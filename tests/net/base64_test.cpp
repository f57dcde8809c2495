#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <random>
#include <string>
#include <vector>

#include "contracts/net/CMessageDigestV.h"

namespace {

// Encodes into the documented buffer size plus guard bytes that must stay.
std::string encode(std::string in, int length, std::size_t encoded) {
    const std::size_t size = 4 * ((encoded + 2) / 3) + 1;
    std::vector<char> out(size + 8, '\x7f');
    MD5::CMessageDigestV().base64_encode(in, length, out.data());
    EXPECT_EQ(std::string(out.begin() + size - 1, out.end()), '\0' + std::string(8, '\x7f'));
    return out.data();
}

TEST(Base64, KnownVectorsAndClampedLengths) {
    std::string heap(40, 'q');  // on the heap, so a read beyond it is caught
    const std::string whole = encode(heap, 40, 40);
    const struct {
        std::string in;
        int length;
        std::size_t encoded;
        std::string out;
    } cases[] = {
        {"", 0, 0, ""},        {"f", 1, 1, "Zg=="},         {"fo", 2, 2, "Zm8="},  // RFC 4648
        {"foo", 3, 3, "Zm9v"}, {"foob", 4, 4, "Zm9vYg=="},  {"fooba", 5, 5, "Zm9vYmE="},
        {"foobar", 6, 6, "Zm9vYmFy"}, {"张三", 4, 4, "1cXI/Q=="},  // GBK D5 C5 C8 FD
        {std::string("\0\xff\xfe", 3), 3, 3, "AP/+"}, {heap, 3, 3, "cXFx"},
        {heap, 41, 40, whole}, {heap, 1 << 30, 40, whole}, {heap, -5, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.out + " length " + std::to_string(c.length));
        EXPECT_EQ(encode(c.in, c.length, c.encoded), c.out);
    }
    EXPECT_EQ(whole.size(), 56u);
    MD5::CMessageDigestV().base64_encode(heap, 3, nullptr);  // nowhere to write: nothing happens
}

TEST(Base64, EveryLengthDecodesBack) {
    std::mt19937 rng(20240611);
    std::string bytes(64, '\0');
    for (char& b : bytes) b = static_cast<char>(rng());
    for (int n = 0; n <= 64; ++n) {
        SCOPED_TRACE("length " + std::to_string(n));
        const std::string text = encode(bytes, n, n);
        std::vector<unsigned char> raw(text.size() / 4 * 3 + 1);
        const int decoded = EVP_DecodeBlock(
            raw.data(), reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
        const int padding = int(text.size() - text.find_last_not_of('=') - 1);  // counted as zeros
        ASSERT_EQ(decoded - padding, n);
        EXPECT_EQ(std::string(raw.begin(), raw.begin() + n), bytes.substr(0, n));
    }
}

}  // namespace
